// The match runner's script lines ("P A DX DY" or "ai"): any script replays on the shipped
// rules without an escaping exception; the output is JSON Lines that open with "start" and
// close with "end", with one "move" or "error" line per non-blank, non-comment script line
// at most.
#include "Arena.h"
#include "FuzzCheck.h"
#include "Veltrix/RuleOptions.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

namespace {

const Veltrix::RuleOptions& shippedRules() {
    static const Veltrix::RuleOptions rules(VX_GAME_DIR "/VX.conf");
    return rules;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string script(reinterpret_cast<const char*>(data), size);
    std::istringstream in(script);
    std::ostringstream out;
    try {
        Veltrix::runScript(shippedRules(), 42, in, out);
    } catch (const std::exception& e) {
        VXFuzz::broken(std::string("the replay let an exception out: ") + e.what());
    }
    std::istringstream lines(out.str());
    std::string line;
    std::string last;
    std::size_t count = 0;
    while (std::getline(lines, line)) {
        VXFuzz::require(line.rfind("{\"event\":\"", 0) == 0 && line.back() == '}',
                        "not a JSON event line: " + line);
        if (count == 0)
            VXFuzz::require(line.rfind("{\"event\":\"start\"", 0) == 0,
                            "the first line is not start");
        last = line;
        ++count;
    }
    VXFuzz::require(last.rfind("{\"event\":\"end\"", 0) == 0, "the last line is not end");
    std::size_t scriptLines = 0;
    for (const char c : script) scriptLines += c == '\n' ? 1 : 0;
    VXFuzz::require(count <= scriptLines + 3, "more events than script lines");
    return 0;
}
