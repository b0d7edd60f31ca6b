#pragma once
// The rules of a game as one JSON object, keyed exactly as in the rules file ("VX.conf"):
//
//   {"Problem.Veltrix.fieldWidth":20, ..., "Problem.Veltrix.startPosition_p0a0x":0, ...,
//    "Problem.Veltrix.portalPos_p0lx":4, ...}
//
// Game records carry it in their header and the match server sends it to its clients, so a
// reader needs nothing but the object to set up the same game.
#include "Veltrix/RuleOptions.h"

#include <nlohmann/json.hpp>

#include <string>

namespace Veltrix {

// Every rule option, the indexed start and portal keys included, in the rules file's order.
nlohmann::ordered_json rulesToJson(const RuleOptions& rules);

// Reads an object written by rulesToJson through the rules file reader, so the same checks
// apply. Raises std::logic_error naming `source` and the key for a value that is not an
// integer, a key the rules do not have, or anything the rules file reader refuses.
RuleOptions rulesFromJson(const nlohmann::ordered_json& object, const std::string& source);

}  // namespace Veltrix
