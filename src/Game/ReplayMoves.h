#pragma once
// The moves of a game record as the controller's move source: one move whenever the previous
// one has been shown, unless paused; a single step on request while paused.
#include "Game/MoveSource.h"
#include "Records/GameRecord.h"

#include <memory>

namespace VX3D {

class ReplayMoves : public MoveSource {
public:
    explicit ReplayMoves(std::shared_ptr<const Veltrix::GameRecord> record);

    std::optional<SourcedMove> nextMove(const Veltrix::Referee& referee,
                                        Veltrix::GameRandom& random) override;
    void moveMade(const Veltrix::Referee& referee, const Veltrix::MoveOutcome& outcome) override;
    bool exhausted() const override { return next_ >= record_->moves.size(); }

    // Enter: no new move starts while paused.
    void togglePause() { paused_ = !paused_; }
    bool paused() const { return paused_; }
    // Right arrow: the next move may start now, even while paused.
    void allowOneStep() { stepAllowed_ = true; }

    const Veltrix::GameRecord& record() const { return *record_; }
    std::size_t movesGiven() const { return next_; }

private:
    std::shared_ptr<const Veltrix::GameRecord> record_;
    std::size_t next_ = 0;
    bool paused_ = false;
    bool stepAllowed_ = false;
};

}  // namespace VX3D
