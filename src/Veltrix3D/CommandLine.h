#pragma once
// The game's command line: what this run does besides the options files. Read with the
// options library, so --help lists every option.
#include <iosfwd>
#include <optional>
#include <string>

namespace VX3D {

struct CommandLine {
    std::string replay;             // --replay FILE: show a game record instead of a new game
    std::optional<int> exitStatus;  // the process ends at once with it (--help, a usage error)
};

// --help prints the options to `out` (exit status 0); an unknown option, a missing value or a
// stray argument prints "veltrix3d: " + why to `err` (exit status 2).
CommandLine readCommandLine(int argc, const char* const argv[], std::ostream& out,
                            std::ostream& err);

}  // namespace VX3D
