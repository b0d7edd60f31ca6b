#pragma once
// The two modes of the match runner, writing JSON Lines to `out`.
//
//   runScript    replays a script through one referee: lines "P A DX DY" or "ai", blank
//                lines and lines starting with '#' skipped. A line that cannot be read or
//                a move the rules refuse gives an "error" event naming the line; the
//                replay goes on. Prints "start", one "move" per move and "end".
//   runSelfPlay  plays the computer against itself: one "game" line each, then "summary".
// Both return the process exit status (0).
#include "Veltrix/RuleOptions.h"

#include <cstdint>
#include <iosfwd>

namespace Veltrix {

int runScript(const RuleOptions& options, std::uint32_t seed, std::istream& script,
              std::ostream& out);
int runSelfPlay(const RuleOptions& options, std::uint32_t seed, std::int32_t games,
                std::ostream& out);

}  // namespace Veltrix
