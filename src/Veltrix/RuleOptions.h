#pragma once
// The rules of one game as read from the rules file ("VX.conf"): field size,
// players, ants, food, visibility, battles and the start and portal cells.

#include "Veltrix/Types.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace Veltrix {

struct RuleOptions {
    std::int32_t fieldWidth = 20;
    std::int32_t fieldHeight = 13;
    std::int32_t movesPerAnt = 40;
    std::int32_t foodPieces = 32;
    std::int32_t players = 2;
    std::int32_t antsPerPlayer = 2;
    // startPositions[player][ant]; players x antsPerPlayer entries.
    std::vector<std::vector<Position>> startPositions;
    std::int32_t antVisibilityRadius = 2;
    std::int32_t battleRounds = 5;
    std::int32_t gamesPerMatch = 5;
    std::int32_t noOfPortals = 3;
    // Portal i joins portalLeft[i] and portalRight[i] at set-up.
    std::vector<Position> portalLeft;
    std::vector<Position> portalRight;

    // The defaults of the rules file with no portals (as a file holding only
    // "Problem.Veltrix.noOfPortals=0" gives): the starting point for tests and
    // tools that build their rules in code.
    RuleOptions();

    // Reads the rules file in two passes: the first fixes the counts, which say
    // how many indexed start and portal keys the second pass must accept.
    // Keys the engine does not know are allowed (the file may hold other
    // settings). Option errors are the options library's own; values the engine
    // cannot play with (counts below 1, a field over 16384 cells, start or portal
    // cells outside the field) raise std::logic_error naming the key and value.
    explicit RuleOptions(const std::string& path);
    // The same from the file's contents already open; `source` names it in the messages.
    RuleOptions(std::istream& in, const std::string& source);

    // The checks of the reading constructor, for options built in code.
    // `source` names where the values came from in the error messages.
    void validate(const std::string& source) const;
};

// Ids from outside the engine pass through these so that an unknown player or
// ant is refused with a clear message instead of creating a map entry.
PlayerId makePlayerId(std::int32_t i, const RuleOptions& options);
AntId makeAntId(std::int32_t j, const RuleOptions& options);

}  // namespace Veltrix
