#pragma once
// The referee of one game: owns the state, knows whose turn it is from the
// number of moves made, applies a move, records it, re-pairs the portals after
// every full round and prepares the next player's view.

#include "Veltrix/GameState.h"
#include "Veltrix/RuleOptions.h"

#include <deque>

namespace Veltrix {

class GameRandom;

struct MoveRecord {
    PlayerId player = 0;
    AntId ant = 0;
    Direction direction{};
};

class Referee {
public:
    RuleOptions options;  // own copy
    GameState state;
    PlayerId startingPlayer = 0;
    std::deque<MoveRecord> history;  // its length is the number of moves made

    // Set-up (food draws), one portal shuffle, then the starting player's view
    // with every enemy ant shown.
    Referee(PlayerId startingPlayer, const RuleOptions& options, GameRandom& random);

    PlayerId currentPlayer() const;
    std::int32_t movesMade() const { return static_cast<std::int32_t>(history.size()); }

    // Raises std::logic_error("wrong player wants to move") before any change
    // when it is not `player`'s turn, std::out_of_range("invalid map<K, T> key")
    // for an ant the player does not have. The caller refreshes the mover's own
    // view afterwards (state.updateView(player, options, movesMade() < players)).
    MoveOutcome move(PlayerId player, AntId ant, Direction direction, GameRandom& random);
};

}  // namespace Veltrix
