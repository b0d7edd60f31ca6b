#pragma once
// How this machine presents a game: window size, fullscreen, the second player, the seed of
// the random source, the mountains' tessellation, the screen between two humans' turns and the
// player's name in a server's match. Read once at start-up from "VX3D.conf".
#include <cstddef>
#include <iosfwd>
#include <string>

namespace VX3D {

struct ClientOptions {
    int width = 640;
    int height = 480;
    bool fullscreen = false;
    bool aiopponent = true;
    int seed = 42;
    int envTessLevel = 0;
    // Two humans at one machine: a screen between their turns hides each one's view from the
    // other until Space.
    bool handover = true;
    std::string name = "player";  // shown to the opponent in a server's match
};

// The longest name a match server accepts.
inline constexpr std::size_t maxNameBytes = 40;

// The defaults, overridden by every option the file names. A missing or unreadable file gives
// the defaults. A value of the wrong type or an option given twice raises the options
// library's error; a width or height below 1, or a name that is empty, longer than 40 bytes
// or holds control characters, raises std::invalid_argument. Both messages name
// the file and the option.
ClientOptions readClientOptions(const std::string& fileName);
// The same from the file's contents already open; fileName only names it in the messages.
ClientOptions readClientOptions(std::istream& in, const std::string& fileName);

}  // namespace VX3D
