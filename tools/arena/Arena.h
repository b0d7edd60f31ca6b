#pragma once
// The modes of the match runner, writing JSON Lines to `out`.
//
//   runScript    replays a script through one referee: lines "P A DX DY" or "ai", blank
//                lines and lines starting with '#' skipped. A line that cannot be read or
//                a move the rules refuse gives an "error" event naming the line; the
//                replay goes on. Prints "start", one "move" per move and "end".
//   runSelfPlay  plays the computer against itself: one "game" line each, then "summary".
//   runVerify    replays game records through the rules: one line per file,
//                {"file":F,"moves":N,"ok":true} or "ok":false with the first "move" that
//                differs and the "error".
// With a recording folder, runScript and runSelfPlay write a game record of every game
// there. runScript and runSelfPlay return the process exit status (0); runVerify returns 0
// when every record agrees, else 1. A record that cannot be written raises RecordError.
#include "Veltrix/RuleOptions.h"

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace Veltrix {

struct ArenaRecording {
    std::optional<std::filesystem::path> directory;  // no records without one
};

int runScript(const RuleOptions& options, std::uint32_t seed, std::istream& script,
              std::ostream& out, const ArenaRecording& recording = {});
int runSelfPlay(const RuleOptions& options, std::uint32_t seed, std::int32_t games,
                std::ostream& out, const ArenaRecording& recording = {});
int runVerify(const std::vector<std::string>& files, std::ostream& out);

}  // namespace Veltrix
