#include "Veltrix/GameEnd.h"

#include <cstdint>

namespace Veltrix {

bool isGameOver(const Referee& referee) {
    const RuleOptions& o = referee.options;
    const GameState& s = referee.state;
    const std::int64_t moveLimit = std::int64_t{o.movesPerAnt} * o.players * o.antsPerPlayer;
    if (referee.movesMade() >= moveLimit) return true;
    if (s.isOver()) return true;
    for (const auto& [id, player] : s.players)
        if (player.score > o.foodPieces / 2) return true;

    if (s.players.size() == 2) {
        // A stuck player that is behind can no longer catch up.
        for (PlayerId i = 0; i < 2; ++i) {
            const Player& stuck = s.players.at(i);
            if (!stuck.canStillMove() && stuck.score < s.players.at(1 - i).score) return true;
        }
    } else if (s.players.size() > 2) {
        // The same idea for more players: the result is settled when only one
        // player can still move and every stuck player is behind it.
        const Player* mover = nullptr;
        for (const auto& [id, player] : s.players) {
            if (player.canStillMove()) {
                if (mover != nullptr) return false;
                mover = &player;
            }
        }
        if (mover == nullptr) return true;
        for (const auto& [id, player] : s.players)
            if (&player != mover && player.score >= mover->score) return false;
        return true;
    }
    return false;
}

PlayerId gameWinner(const GameState& state) {
    PlayerId best = -1;
    std::int32_t bestScore = 0;
    bool shared = false;
    for (const auto& [id, player] : state.players) {
        if (best < 0 || player.score > bestScore) {
            best = id;
            bestScore = player.score;
            shared = false;
        } else if (player.score == bestScore) {
            shared = true;
        }
    }
    return shared ? -1 : best;
}

}  // namespace Veltrix
