#include "SeatPlayer.h"

#include <algorithm>

namespace Veltrix::Client {

SeatPlayer::SeatPlayer(const RuleOptions& rules, std::int32_t seat, std::uint32_t seed)
    : seat_(seat),
      random_(seed),
      setupRandom_(seed),
      board_(0, rules, setupRandom_),
      opponent_(rules) {}

std::optional<Protocol::Move> SeatPlayer::choose(const Protocol::View& view) {
    if (view.turn != seat_ || view.seat != seat_) return std::nullopt;
    // The set-up's own field and the other player are thrown away: the choice
    // must come from what the server told this seat and nothing else.
    board_.state = GameState{};
    board_.state.players[seat_] = Protocol::playerFromView(view, board_.options);
    const Player& player = board_.state.players.at(seat_);
    // With nothing able to move now the server passes the turn itself.
    if (std::none_of(player.ants.begin(), player.ants.end(),
                     [](const auto& entry) { return entry.second.canMove(); }))
        return std::nullopt;

    auto [ant, direction] = VX3D::chooseMove(seat_, opponent_, board_, random_, board_.options);
    // The server refuses a move for an ant that cannot move (the local game
    // would spend the turn on it): another ant that can takes the same step.
    const auto chosen = player.ants.find(ant);
    if (chosen == player.ants.end() || !chosen->second.canMove())
        for (const auto& [id, candidate] : player.ants)
            if (candidate.canMove()) {
                ant = id;
                break;
            }
    return Protocol::Move{ant, direction.dx, direction.dy};
}

}  // namespace Veltrix::Client
