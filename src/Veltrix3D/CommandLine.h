#pragma once
// The game's command line: what this run does besides the options files. Read with the
// options library, so --help lists every option.
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

namespace VX3D {

// A match through a server instead of a local game.
struct ServerMatch {
    std::string host;
    std::uint16_t port = 0;
    enum class Mode { create, join, computer, resume } mode = Mode::create;
    std::string code;  // --join and --resume
};

struct CommandLine {
    std::string replay;  // --replay FILE: show a game record instead of a new game
    std::optional<ServerMatch>
        server;                     // --server HOST:PORT [--join CODE | --computer | --resume CODE]
    std::optional<int> exitStatus;  // the process ends at once with it (--help, a usage error)
};

// --help prints the options to `out` (exit status 0); an unknown option, a missing value, a
// stray argument, a server address without a port from 1 to 65535 or a match option without
// --server prints "veltrix3d: " + why to `err` (exit status 2).
CommandLine readCommandLine(int argc, const char* const argv[], std::ostream& out,
                            std::ostream& err);

}  // namespace VX3D
