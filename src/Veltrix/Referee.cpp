#include "Veltrix/Referee.h"

#include "Veltrix/GameRandom.h"

#include <stdexcept>

namespace Veltrix {

Referee::Referee(PlayerId starting, const RuleOptions& rules, GameRandom& random)
    : options(rules), state(options, random), startingPlayer(starting) {
    state.shufflePortals(random);
    state.updateView(makePlayerId(startingPlayer, options), options, true);
}

PlayerId Referee::currentPlayer() const {
    const auto turn =
        (static_cast<std::int64_t>(history.size()) + startingPlayer) % options.players;
    return makePlayerId(static_cast<std::int32_t>(turn), options);
}

MoveOutcome Referee::move(PlayerId player, AntId ant, Direction direction, GameRandom& random) {
    const PlayerId current = currentPlayer();
    const PlayerId next = (current + 1) % options.players;
    if (player != current) throw std::logic_error("wrong player wants to move");

    MoveOutcome outcome = state.applyMove(player, ant, direction, options, movesMade());
    history.push_back(MoveRecord{player, ant, direction});
    // The pairing changes at the end of every full round, before the next
    // player looks at the field.
    if (next == startingPlayer) state.shufflePortals(random);
    state.updateView(makePlayerId(next, options), options, movesMade() < options.players);
    return outcome;
}

}  // namespace Veltrix
