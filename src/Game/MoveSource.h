#pragma once
// Where the moves of a game come from when not from the players at this machine: a record
// being replayed now, a match server later. The controller asks once a frame while the turn
// is open and no move is being shown; a source that has nothing yet (paused, waiting for the
// network) answers with nothing and is asked again. The controller makes the move through
// its referee as it makes its own, so animations, sounds, score lines, records and the end of
// the game follow the same path whatever the source.
#include "Veltrix/GameRandom.h"
#include "Veltrix/GameState.h"
#include "Veltrix/Referee.h"

#include <optional>

namespace VX3D {

struct SourcedMove {
    Veltrix::PlayerId player = 0;
    Veltrix::AntId ant = 0;
    Veltrix::Direction direction{};
};

class MoveSource {
public:
    virtual ~MoveSource() = default;

    // The move of the current player, or nothing yet. May advance the random source to where
    // the move was made (a record holds that position). Raises on a move that cannot be
    // given (the message names where it came from).
    virtual std::optional<SourcedMove> nextMove(const Veltrix::Referee& referee,
                                                Veltrix::GameRandom& random) = 0;

    // After the referee made the move given last: a source that knows the outcome (a record)
    // checks it and raises when it differs.
    virtual void moveMade(const Veltrix::Referee& referee, const Veltrix::MoveOutcome& outcome) = 0;

    // No move will come any more.
    virtual bool exhausted() const = 0;
};

}  // namespace VX3D
