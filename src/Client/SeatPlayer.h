#pragma once
// One seat played by the computer opponent from nothing but the views the
// server sends it: the view becomes the seat's player again and the opponent
// chooses from it, just as it chooses from its own player in a local game.

#include "Protocol/Messages.h"
#include "Veltrix/ComputerOpponent.h"
#include "Veltrix/GameRandom.h"
#include "Veltrix/Referee.h"

#include <cstdint>
#include <optional>

namespace Veltrix::Client {

class SeatPlayer {
public:
    // `seed` drives the opponent's own choices (never the match's random source,
    // which stays on the server).
    SeatPlayer(const RuleOptions& rules, std::int32_t seat, std::uint32_t seed);

    // The move to send for this view: nothing unless it is the seat's turn and
    // some ant of it can move. Raises std::out_of_range for a view that does not
    // fit the rules (a cell outside the field).
    std::optional<Protocol::Move> choose(const Protocol::View& view);

private:
    std::int32_t seat_;
    GameRandom random_;
    GameRandom setupRandom_;
    Referee board_;  // holds only this seat's player: all the opponent reads
    VX3D::AIData opponent_;
};

}  // namespace Veltrix::Client
