#pragma once
// What one seat of a match may know: its own ants, the cells they see now, what
// it remembers of the other cells and the last sighting of each enemy ant -
// exactly the player data the rules engine keeps for that player, which is also
// all the computer opponent reads. The server builds a View from its referee;
// a client turns a View back into that player to show it or to choose a move.

#include "Veltrix/GameState.h"
#include "Veltrix/Referee.h"
#include "Veltrix/RuleOptions.h"

#include <array>
#include <cstdint>
#include <vector>

namespace Veltrix::Protocol {

struct SeatAnt {
    AntId id = 0;
    Ant ant;
};

// A cell the seat has seen at least once, as it was at the last sighting.
struct KnownCell {
    Position cell;
    CellKnowledge knowledge;
};

// The last sighting of one enemy ant.
struct Sighting {
    PlayerId player = 0;  // the enemy's seat
    SeenAnt ant;
};

struct View {
    std::int32_t seat = 0;
    std::int32_t move = 0;  // moves made in the match
    std::int32_t turn = 0;  // whose turn it is
    std::array<std::int32_t, 2> scores{};
    std::int32_t moveCount = 0;  // the seat's own moves made
    std::vector<SeatAnt> ants;
    std::vector<Position> visible;
    std::vector<KnownCell> known;
    std::vector<Sighting> enemies;
};

// The seat's view as the referee's state holds it now.
View makeView(const Referee& referee, PlayerId seat);

// The player the view describes, on a field of the given rules (a cell outside
// it raises std::out_of_range naming the cell).
Player playerFromView(const View& view, const RuleOptions& options);

}  // namespace Veltrix::Protocol
