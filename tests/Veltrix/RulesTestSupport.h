#pragma once
// Helpers shared by the rules tests: rules files on disk, rules built in code,
// and a scripted game that checks the whole state after every move.

#include "Veltrix/GameRandom.h"
#include "Veltrix/Referee.h"
#include "Veltrix/RuleOptions.h"
#include "Veltrix/SelfPlay.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace RulesTest {

// A scratch file that is removed again when the test ends.
class TempFile {
public:
    explicit TempFile(const std::string& content, const std::string& name = "rules.conf") {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                (std::string("vx_rules_") + (info ? info->name() : "x") + "_" + name);
        std::ofstream(path_) << content;
    }
    ~TempFile() { std::filesystem::remove(path_); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    std::string path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

// The twelve portal keys of the shipped layout, for files that must be readable.
inline std::string portalKeys() {
    return "Problem.Veltrix.portalPos_p0lx=4\nProblem.Veltrix.portalPos_p0ly=2\n"
           "Problem.Veltrix.portalPos_p0rx=15\nProblem.Veltrix.portalPos_p0ry=10\n"
           "Problem.Veltrix.portalPos_p1lx=4\nProblem.Veltrix.portalPos_p1ly=10\n"
           "Problem.Veltrix.portalPos_p1rx=15\nProblem.Veltrix.portalPos_p1ry=2\n"
           "Problem.Veltrix.portalPos_p2lx=9\nProblem.Veltrix.portalPos_p2ly=1\n"
           "Problem.Veltrix.portalPos_p2rx=10\nProblem.Veltrix.portalPos_p2ry=11\n";
}

inline std::string shippedRules() {
    return std::string(VX_GAME_DIR) + "/VX.conf";
}

// Default rules with the given portal pairs.
inline Veltrix::RuleOptions rulesWithPortals(
    std::vector<std::pair<Veltrix::Position, Veltrix::Position>> pairs) {
    Veltrix::RuleOptions o;
    o.noOfPortals = static_cast<std::int32_t>(pairs.size());
    for (const auto& [l, r] : pairs) {
        o.portalLeft.push_back(l);
        o.portalRight.push_back(r);
    }
    return o;
}

inline void expectConsistent(const Veltrix::Referee& referee) {
    const std::string problem = referee.state.firstInconsistency(referee.options);
    EXPECT_EQ(problem, "") << "after " << referee.movesMade() << " moves";
}

// One game driven move by move as the controller drives it.
struct ScriptedGame {
    Veltrix::GameRandom random;
    Veltrix::Referee referee;

    explicit ScriptedGame(const Veltrix::RuleOptions& options, std::uint32_t seed = 42)
        : random(seed), referee(0, options, random) {
        expectConsistent(referee);
    }

    Veltrix::GameState& state() { return referee.state; }
    Veltrix::Player& player(Veltrix::PlayerId p) { return referee.state.players.at(p); }
    Veltrix::Ant& ant(Veltrix::PlayerId p, Veltrix::AntId a) { return player(p).ants.at(a); }

    Veltrix::MoveOutcome play(Veltrix::PlayerId p, Veltrix::AntId a, std::int32_t dx,
                              std::int32_t dy) {
        const auto outcome = VX3D::makeMove(referee, p, a, {dx, dy}, random);
        expectConsistent(referee);
        return outcome;
    }

    // Puts an ant somewhere by hand and refreshes what everybody sees, for set-ups
    // that would take many moves to reach.
    void place(Veltrix::PlayerId p, Veltrix::AntId a, Veltrix::Position cell) {
        ant(p, a).x = cell.x;
        ant(p, a).y = cell.y;
        refresh();
    }

    void refresh() {
        const auto& o = referee.options;
        for (auto& [id, pl] : referee.state.players) pl.updateVisible(o);
        for (auto& [id, pl] : referee.state.players)
            referee.state.updateView(id, o, referee.movesMade() < o.players);
    }
};

}  // namespace RulesTest
