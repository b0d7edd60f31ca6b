// Speed of the rules engine on the shipped rules: the referee's move, the
// computer's choice, and whole computer-against-computer games (the target is a
// default game in 200 microseconds or less on one core).

#include "Veltrix/ComputerOpponent.h"
#include "Veltrix/GameEnd.h"
#include "Veltrix/GameRandom.h"
#include "Veltrix/Referee.h"
#include "Veltrix/SelfPlay.h"

#include <benchmark/benchmark.h>

#include <iostream>
#include <vector>

using namespace Veltrix;

namespace {

const RuleOptions& rules() {
    static const RuleOptions options(std::string(VX_GAME_DIR) + "/VX.conf");
    return options;
}

// Positions met in real games: every state before a move of a few self-play
// games, with the move the computer made there.
struct Position {
    Referee referee;
    AntId ant;
    Direction direction;
};

const std::vector<Position>& positions() {
    static const std::vector<Position> all = [] {
        std::vector<Position> result;
        GameRandom random(42);
        for (int n = 0; n < 4; ++n) {
            Referee referee(0, rules(), random);
            auto opponents = VX3D::makeOpponents(rules());
            while (!isGameOver(referee)) {
                const PlayerId p = referee.currentPlayer();
                const auto [a, d] = VX3D::computerMove(opponents, referee, random);
                result.push_back({referee, a, d});
                VX3D::makeMove(referee, p, a, d, random);
            }
        }
        return result;
    }();
    return all;
}

void RefereeMove(benchmark::State& state) {
    const auto& all = positions();
    GameRandom random(1);
    std::size_t i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Referee referee = all[i].referee;
        state.ResumeTiming();
        const PlayerId p = referee.currentPlayer();
        benchmark::DoNotOptimize(VX3D::makeMove(referee, p, all[i].ant, all[i].direction, random));
        i = (i + 1) % all.size();
    }
}
BENCHMARK(RefereeMove);

void ChooseMove(benchmark::State& state) {
    const auto& all = positions();
    GameRandom random(1);
    VX3D::AIData data(rules());
    std::size_t i = 0;
    for (auto _ : state) {
        const Referee& referee = all[i].referee;
        benchmark::DoNotOptimize(
            VX3D::chooseMove(referee.currentPlayer(), data, referee, random, rules()));
        i = (i + 1) % all.size();
    }
}
BENCHMARK(ChooseMove);

// One refresh of the current player's view, as the referee makes after every
// move. A few states only, so that they stay in the cache as one game's does.
void ViewRefresh(benchmark::State& state) {
    std::vector<Referee> referees;
    for (std::size_t i = 0; i < positions().size(); i += 61)
        referees.push_back(positions()[i].referee);
    std::size_t i = 0;
    for (auto _ : state) {
        Referee& referee = referees[i];
        referee.state.updateView(referee.currentPlayer(), referee.options, false);
        benchmark::ClobberMemory();
        i = (i + 1) % referees.size();
    }
}
BENCHMARK(ViewRefresh);

void SelfPlayGame(benchmark::State& state) {
    GameRandom random(42);
    std::int64_t moves = 0;
    for (auto _ : state) {
        const Referee referee = VX3D::playComputerGame(rules(), random);
        moves += referee.movesMade();
        benchmark::DoNotOptimize(referee.state.players);
    }
    state.counters["moves/game"] =
        benchmark::Counter(static_cast<double>(moves) / state.iterations());
    state.counters["games/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(SelfPlayGame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
