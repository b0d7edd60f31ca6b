#pragma once
// Computer against computer: the move the computer makes for whoever's turn it
// is, and a whole game played that way. The match runner, the signature test and
// the benchmarks all play through here, so they play the same games.

#include "Veltrix/ComputerOpponent.h"
#include "Veltrix/GameEnd.h"
#include "Veltrix/GameRandom.h"
#include "Veltrix/Referee.h"

#include <utility>
#include <vector>

namespace VX3D {

// One opponent's data per player, as the controller keeps one per computer player.
inline std::vector<AIData> makeOpponents(const Veltrix::RuleOptions& options) {
    return std::vector<AIData>(static_cast<std::size_t>(options.players), AIData(options));
}

// The current player's computer move. A player whose ants are all dead or out of
// moves makes the null move (ant 0, (0, 0)), as the controller does for a stuck
// player; so does a choice whose guard fired (ant -1).
inline std::pair<Veltrix::AntId, Direction> computerMove(std::vector<AIData>& opponents,
                                                         const Veltrix::Referee& referee,
                                                         Veltrix::GameRandom& random) {
    const Veltrix::PlayerId player = referee.currentPlayer();
    if (!referee.state.players.at(player).canStillMove()) return {0, Direction{0, 0}};
    auto choice = chooseMove(player, opponents.at(static_cast<std::size_t>(player)), referee,
                             random, referee.options);
    if (choice.first < 0) return {0, Direction{0, 0}};
    return choice;
}

// Makes one move the way the controller does: the referee's move, then the
// mover's own view refreshed.
inline Veltrix::MoveOutcome makeMove(Veltrix::Referee& referee, Veltrix::PlayerId player,
                                     Veltrix::AntId ant, Direction direction,
                                     Veltrix::GameRandom& random) {
    Veltrix::MoveOutcome outcome = referee.move(player, ant, direction, random);
    referee.state.updateView(player, referee.options,
                             referee.movesMade() < referee.options.players);
    return outcome;
}

// Plays one game from a fresh referee (starting player 0) on the continuing
// generator until the end-of-game rule holds. beforeMove(referee, player, ant,
// direction) sees every move after the computer chose it and before the referee
// makes it (where a game record takes the random position); onMove(referee,
// player, ant, direction, outcome) sees it after it was made.
template <class BeforeMove, class OnMove>
Veltrix::Referee playComputerGame(const Veltrix::RuleOptions& options, Veltrix::GameRandom& random,
                                  BeforeMove&& beforeMove, OnMove&& onMove) {
    Veltrix::Referee referee(0, options, random);
    std::vector<AIData> opponents = makeOpponents(options);
    while (!Veltrix::isGameOver(referee)) {
        const Veltrix::PlayerId player = referee.currentPlayer();
        const auto [ant, direction] = computerMove(opponents, referee, random);
        beforeMove(static_cast<const Veltrix::Referee&>(referee), player, ant, direction);
        const Veltrix::MoveOutcome outcome = makeMove(referee, player, ant, direction, random);
        onMove(static_cast<const Veltrix::Referee&>(referee), player, ant, direction, outcome);
    }
    return referee;
}

template <class OnMove>
Veltrix::Referee playComputerGame(const Veltrix::RuleOptions& options, Veltrix::GameRandom& random,
                                  OnMove&& onMove) {
    return playComputerGame(
        options, random, [](const auto&...) {}, std::forward<OnMove>(onMove));
}

inline Veltrix::Referee playComputerGame(const Veltrix::RuleOptions& options,
                                         Veltrix::GameRandom& random) {
    return playComputerGame(options, random, [](const auto&...) {});
}

}  // namespace VX3D
