#include "Game/ReplayMoves.h"

#include <string>

namespace VX3D {

ReplayMoves::ReplayMoves(std::shared_ptr<const Veltrix::GameRecord> record)
    : record_(std::move(record)) {}

std::optional<SourcedMove> ReplayMoves::nextMove(const Veltrix::Referee& referee,
                                                 Veltrix::GameRandom& random) {
    if (exhausted() || (paused_ && !stepAllowed_)) return std::nullopt;
    stepAllowed_ = false;
    const Veltrix::RecordMove& m = record_->moves[next_];
    const std::string where = "record " + record_->source + " line " + std::to_string(m.n + 2);
    if (m.player != referee.currentPlayer())
        throw Veltrix::RecordError(where + ": move " + std::to_string(m.n) + " is player " +
                                   std::to_string(m.player) + "'s, but it is player " +
                                   std::to_string(referee.currentPlayer()) + "'s turn");
    try {
        random.advanceTo(m.random.draws, m.random.realDraws);
    } catch (const std::logic_error& e) {
        throw Veltrix::RecordError(where + ": the random position goes backwards: " + e.what());
    }
    return SourcedMove{m.player, m.ant, m.direction};
}

void ReplayMoves::moveMade(const Veltrix::Referee& referee, const Veltrix::MoveOutcome& outcome) {
    const Veltrix::RecordMove& m = record_->moves.at(next_++);
    // The record was verified before the window opened; a difference here means the window
    // makes moves differently from the rules engine's replay, which must not pass unseen.
    const auto replayed = Veltrix::outcomeToJson(outcome);
    const std::string digest = Veltrix::stateDigest(referee.state);
    if (replayed != m.outcome || digest != m.digest)
        throw Veltrix::RecordError("record " + record_->source + " line " +
                                   std::to_string(m.n + 2) + ": move " + std::to_string(m.n) +
                                   " comes out differently in the window: recorded " +
                                   m.outcome.dump() + ", shown " + replayed.dump());
}

}  // namespace VX3D
