#include "Veltrix3D/ClientOptions.h"

#include <boost/filesystem/fstream.hpp>
#include <boost/program_options.hpp>

#include <algorithm>
#include <cstdlib>
#include <istream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>

namespace VX3D {
namespace {

namespace po = boost::program_options;

// A size below 1 would give the projection a meaningless aspect ratio and the off-screen
// targets no pixels; refuse it here, where the file and the key are known.
void requirePositive(int value, const char* key, const std::string& fileName) {
    if (value < 1)
        throw std::invalid_argument("the argument ('" + std::to_string(value) + "') for option '" +
                                    key + "' is invalid: it must be at least 1 (file \"" +
                                    fileName + "\")");
}

// Boost 1.74 builds its error texts by replacing placeholders such as "%value%" until none is
// left, so a value that holds its own placeholder makes what() loop for ever: a one-line file
// would hang the start-up. No option of ours takes a '%', so swapping it out changes no
// outcome, only how such a value is echoed in the error.
std::string withoutPlaceholders(std::istream& in) {
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::replace(text.begin(), text.end(), '%', '?');
    return text;
}

// The login name, as the opponent will see it; "player" where there is none or it would not
// pass the server's own check.
std::string loginName() {
    const char* user = std::getenv("USER");
    std::string name = user != nullptr ? user : "";
    if (name.empty() || name.size() > maxNameBytes) return "player";
    return name;
}

bool isControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
}

// The refused name as the message can show it: a control character (a NUL above all, which
// would end the message's text and hide the file name after it) is written as \xNN.
std::string printable(const std::string& name) {
    std::string shown;
    for (const char c : name) {
        if (!isControl(c)) {
            shown += c;
            continue;
        }
        static constexpr char digits[] = "0123456789abcdef";
        const auto byte = static_cast<unsigned char>(c);
        shown += "\\x";
        shown += digits[byte >> 4];
        shown += digits[byte & 0xf];
    }
    return shown;
}

void requireName(const std::string& name, const std::string& fileName) {
    const bool control = std::any_of(name.begin(), name.end(), isControl);
    if (name.empty() || name.size() > maxNameBytes || control)
        throw std::invalid_argument(
            "the argument ('" + printable(name) +
            "') for option 'name' is invalid: it must be 1 to " + std::to_string(maxNameBytes) +
            " bytes without control characters (file \"" + fileName + "\")");
}

}  // namespace

ClientOptions readClientOptions(const std::string& fileName) {
    // A missing file leaves the stream empty: nothing is parsed and the defaults stand.
    boost::filesystem::ifstream file(fileName);
    return readClientOptions(file, fileName);
}

ClientOptions readClientOptions(std::istream& file, const std::string& fileName) {
    ClientOptions options;
    po::options_description group("Veltrix Game Options");
    group.add_options()("width", po::value<int>(&options.width)->default_value(640),
                        "resolution width")(
        "height", po::value<int>(&options.height)->default_value(480), "resolution height")(
        "fullscreen", po::value<bool>(&options.fullscreen)->default_value(false),
        "fullscreen mode")("aiopponent", po::value<bool>(&options.aiopponent)->default_value(true),
                           "use ai opponent as 2nd player")(
        "seed", po::value<int>(&options.seed)->default_value(42), "seed for game")(
        "envTessLevel", po::value<int>(&options.envTessLevel)->default_value(0),
        "tessLevel for environment")("handover",
                                     po::value<bool>(&options.handover)->default_value(true),
                                     "hand-over screen between two human players")(
        "name", po::value<std::string>(&options.name)->default_value(loginName()),
        "the player's name in a server's match");

    po::variables_map values;
    std::istringstream text(withoutPlaceholders(file));
    try {
        po::store(po::parse_config_file(text, group, true), values);
        po::notify(values);
    } catch (po::error& e) {
        // Keep the library's own text in front, so the message reads as it always did, and
        // say which file it came from.
        throw std::invalid_argument(std::string(e.what()) + " (file \"" + fileName + "\")");
    }
    requirePositive(options.width, "width", fileName);
    requirePositive(options.height, "height", fileName);
    requireName(options.name, fileName);
    return options;
}

}  // namespace VX3D
