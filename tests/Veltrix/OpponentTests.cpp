// The computer opponent: its direction sets, ring walks and random choice, which
// ant it moves, its guards on fields it was not built for, and that its rules
// are called through AIData's slots.

#include "RulesTestSupport.h"

#include "Veltrix/ComputerOpponent.h"

#include <gtest/gtest.h>

using namespace Veltrix;
using namespace VX3D;
using RulesTest::ScriptedGame;

namespace {

ScoreGrid emptyScores() {
    return ScoreGrid(13, std::vector<double>(20, -0.5));
}

Ant antAt(Position p, std::int32_t moves = 10) {
    Ant a;
    a.x = p.x;
    a.y = p.y;
    a.movesLeft = moves;
    return a;
}

SeenAnt seenAt(Position p) {
    SeenAnt s;
    s.x = p.x;
    s.y = p.y;
    return s;
}

}  // namespace

TEST(Opponent, DirectionSets_CloserAndKeep) {
    EXPECT_EQ(dirsCloser({0, 0}, {5, 2}), 4 | 8);
    EXPECT_EQ(dirsCloser({0, 0}, {5, 5}), 8);
    EXPECT_EQ(dirsKeep({0, 0}, {5, 2}),
              16);  // (0, 1) keeps the distance; off-field steps never count
    EXPECT_EQ(dirsCloser({19, 12}, {19, 12}), 0);
    EXPECT_EQ(dirsCloser({10, 6}, {10, 5}), 1);
    EXPECT_EQ(dirsKeep({10, 6}, {10, 5}), 2 | 4 | 64 | 128);
    EXPECT_EQ(stepWithinField({19, 3}, {1, 0}), (Position{19, 3}));
    EXPECT_EQ(stepWithinField({18, 3}, {1, 1}), (Position{19, 4}));
    for (DirectionSet bit = 1; bit != 0; bit = static_cast<DirectionSet>(bit << 1))
        EXPECT_EQ(directionBit(bitDirection(bit)), bit);
}

TEST(Opponent, PickDirection_DrawsOncePerExtraDirection) {
    GameRandom random(3);
    EXPECT_EQ(pickDirection(0, random), (Direction{0, 0}));
    EXPECT_EQ(pickDirection(64, random), (Direction{-1, 0}));
    EXPECT_EQ(random.realDrawCount(), 0u);
    OrderedSet<std::int32_t> chosen;
    for (int i = 0; i < 200; ++i) {
        const Direction d = pickDirection(1 | 8 | 128, random);
        chosen.insert(directionBit(d));
        ASSERT_TRUE(directionBit(d) == 1 || directionBit(d) == 8 || directionBit(d) == 128);
    }
    EXPECT_EQ(random.realDrawCount(), 400u);
    EXPECT_EQ(chosen.size(), 3u);
}

TEST(Opponent, NearestScore_RingOrderSkipAndFallbacks) {
    ScoreGrid grid = emptyScores();
    // Nothing scores: the start comes back.
    EXPECT_EQ(nearestScore(grid, {17, 1}, 0.0, 0), (Position{17, 1}));
    // The start itself is never a match.
    grid[1][17] = 0.0;
    EXPECT_EQ(nearestScore(grid, {17, 1}, 0.0, 0), (Position{17, 1}));
    grid[3][15] = 0.0;  // distance 2
    grid[0][16] = 0.0;  // distance 1
    grid[2][16] = 0.0;  // distance 1, same x: larger y later
    EXPECT_EQ(nearestScore(grid, {17, 1}, 0.0, 0), (Position{16, 0}));
    EXPECT_EQ(nearestScore(grid, {17, 1}, 0.0, 1), (Position{16, 2}));
    EXPECT_EQ(nearestScore(grid, {17, 1}, 0.0, 2), (Position{15, 3}));
    EXPECT_EQ(nearestScore(grid, {17, 1}, 0.0, 9),
              (Position{15, 3}));  // fewer matches: the last one
    EXPECT_EQ(nearestScore(grid, {17, 1}, 0.0, -4), (Position{16, 0}));
}

TEST(Opponent, NearestUnseen_IncludesTheStart) {
    Player p(1, RuleOptions{});
    EXPECT_EQ(nearestUnseen(p, {17, 1}, 0), (Position{17, 1}));
    EXPECT_EQ(nearestUnseen(p, {17, 1}, 1), (Position{16, 0}));
    for (auto& row : p.knowledge)
        for (auto& k : row) k.seen = true;
    EXPECT_EQ(nearestUnseen(p, {17, 1}, 0), (Position{17, 1}));
    p.knowledge[12][0].seen = false;
    EXPECT_EQ(nearestUnseen(p, {17, 1}, 3), (Position{0, 12}));
}

// The bit-set walk the stock rules use must give what the cell-by-cell walks
// give, for every start, both starting distances and any skip, on sets from
// empty to full.
TEST(Opponent, NearestInSet_GivesWhatTheRingWalksGive) {
    GameRandom random(7);
    for (const double density : {0.0, 0.004, 0.05, 0.3, 0.9, 1.0}) {
        CellBits set{};
        ScoreGrid grid = emptyScores();
        Player p(1, RuleOptions{});
        for (std::int32_t x = 0; x < 20; ++x)
            for (std::int32_t y = 0; y < 13; ++y) {
                const bool member = density == 1.0 || random.real() < density;
                auto& k = p.knowledge[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
                k.seen = !member;
                grid[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] =
                    member ? 0.0 : -0.5;
                if (member) {
                    const auto i = static_cast<std::size_t>(x * 16 + y);
                    set[i / 64] |= std::uint64_t{1} << (i % 64);
                }
            }
        for (std::int32_t x = 0; x < 20; ++x)
            for (std::int32_t y = 0; y < 13; ++y)
                for (const std::int32_t skip : {-1, 0, 1, 2, 5, 12, 19, 40, 300}) {
                    const Position start{x, y};
                    ASSERT_EQ(nearestInSet(set, start, 1, skip),
                              nearestScore(grid, start, 0.0, skip))
                        << "density " << density << " start " << x << "," << y << " skip " << skip;
                    ASSERT_EQ(nearestInSet(set, start, 0, skip), nearestUnseen(p, start, skip))
                        << "density " << density << " start " << x << "," << y << " skip " << skip;
                }
    }
    CellBits all;
    all.fill(~std::uint64_t{0});
    EXPECT_EQ(nearestInSet(all, {3, 3}, 40, 0), (Position{3, 3}));  // no ring that far out
    EXPECT_THROW(nearestInSet(CellBits{}, {20, 0}, 0, 0), std::out_of_range);
}

// chooseMove rewrites the whole score grid from the player's knowledge at every
// move, whatever stood in it before.
TEST(Opponent, ChooseMove_RewritesTheScoreGridFromTheKnowledge) {
    const RuleOptions o(RulesTest::shippedRules());
    ScriptedGame g(o);
    AIData data(o);
    for (auto& row : data.score)
        for (double& v : row) v = 7.0;
    GameRandom random(3);
    Player& p = g.referee.state.players.at(0);
    for (std::size_t y = 0; y < 13; ++y)
        for (std::size_t x = 0; x < 20; ++x) p.knowledge[y][x].food = random.real() < 0.2;
    chooseMove(0, data, g.referee, random, o);
    for (std::size_t y = 0; y < 13; ++y)
        for (std::size_t x = 0; x < 20; ++x)
            ASSERT_EQ(data.score[y][x], defaultCellScore(p.knowledge[y][x])) << x << "," << y;
    EXPECT_FALSE(data.walkCache.valid);  // never kept past the call
}

TEST(Opponent, ChooseAnt_AttacksAdjacentSightingsFirst) {
    DirectionSet m0 = 7, m1 = 9;
    // Ant 1 next to enemy ant 0: it is chosen and heads there.
    EXPECT_EQ(
        defaultChooseAnt(antAt({5, 5}), antAt({10, 10}), seenAt({11, 11}), seenAt({0, 0}), m0, m1),
        1);
    EXPECT_EQ(m1, 8);
    EXPECT_EQ(m0, 7);
    // Ant 0 next to enemy ant 1 wins over ant 1 next to enemy ant 0.
    m0 = m1 = 0;
    EXPECT_EQ(
        defaultChooseAnt(antAt({1, 1}), antAt({10, 10}), seenAt({11, 11}), seenAt({2, 1}), m0, m1),
        0);
    EXPECT_EQ(m0, 4);
    // Nobody adjacent: ant 1 while it has moves.
    m0 = m1 = 0;
    EXPECT_EQ(
        defaultChooseAnt(antAt({1, 1}), antAt({10, 10}), seenAt({15, 11}), seenAt({5, 1}), m0, m1),
        1);
    // Both unable to move: ant 1, which the referee then refuses.
    Ant dead0 = antAt({1, 1});
    dead0.dead = true;
    Ant spent1 = antAt({3, 3}, 0);
    EXPECT_EQ(defaultChooseAnt(dead0, spent1, seenAt({15, 11}), seenAt({5, 1}), m0, m1), 1);
    // Only ant 0 can move.
    EXPECT_EQ(defaultChooseAnt(antAt({1, 1}), spent1, seenAt({15, 11}), seenAt({5, 1}), m0, m1), 0);
    // Ant 1 spent, enemy ant 1 fighting: ant 0 keeps its distance to enemy ant 0.
    SeenAnt fighting = seenAt({5, 1});
    fighting.fighting = true;
    m0 = 0;
    EXPECT_EQ(defaultChooseAnt(antAt({0, 0}), spent1, seenAt({5, 2}), fighting, m0, m1), 0);
    EXPECT_EQ(m0, 16);
}

TEST(Opponent, NoFoodSeen_AntsHeadForUnseenCellsAroundTheCorner) {
    RuleOptions o;
    Player p(1, o);
    AIData data(o);
    for (auto& row : data.score)
        for (double& v : row) v = defaultCellScore(CellKnowledge{});
    EXPECT_NEAR(data.score[0][0], -0.44368, 1e-5);
    // Ant 0: the second unseen cell around (17, 1), i.e. (16, 0).
    EXPECT_EQ(defaultFirstAntDirections(antAt({19, 5}), p, data, antAt({19, 7})),
              dirsCloser({19, 5}, {16, 0}));
    // Ant 1: its y (7) picks the 8th unseen cell around (17, 1).
    const Position v = nearestUnseen(p, {17, 1}, 7);
    EXPECT_EQ(defaultSecondAntDirections(antAt({19, 7}), p, data, antAt({19, 5})),
              dirsCloser({19, 7}, v));
}

TEST(Opponent, ChooseMove_CallsTheSlotsAndStepsTowardAnAdjacentEnemy) {
    ScriptedGame g{RuleOptions(RulesTest::shippedRules())};
    g.play(0, 0, 1, 0);
    AIData data(g.referee.options);
    int cells = 0;
    data.cellScore = [&](const CellKnowledge& k) {
        ++cells;
        return k.food ? 1.0 : -1.0;
    };
    data.chooseAnt = [](const Ant&, const Ant&, const SeenAnt&, const SeenAnt&, DirectionSet& m0,
                        DirectionSet&) {
        m0 = 4;
        return AntId{0};
    };
    const auto [ant, d] = chooseMove(1, data, g.referee, g.random, g.referee.options);
    EXPECT_EQ(cells, 260);
    EXPECT_EQ(ant, 0);
    EXPECT_EQ(d, (Direction{1, 0}));
    EXPECT_EQ(data.score[5][0], g.player(1).knowledge[5][0].food ? 1.0 : -1.0);

    // With the stock rules an ant next to a sighting steps onto it and fights.
    ScriptedGame h{RuleOptions(RulesTest::shippedRules())};
    h.place(0, 0, {18, 5});
    h.play(0, 0, 0, 0);
    AIData stock(h.referee.options);
    const auto [a2, d2] = chooseMove(1, stock, h.referee, h.random, h.referee.options);
    EXPECT_EQ(a2, 0);
    EXPECT_EQ(d2, (Direction{-1, 0}));
    EXPECT_TRUE(h.play(1, a2, d2.dx, d2.dy).battleStarted);
}

TEST(Opponent, OtherFieldSize_GuardsReportAndTheMoveIsNull) {
    RuleOptions o;
    o.fieldWidth = 10;  // the table's cells beyond the field fail the grid lookups
    o.fieldHeight = 8;
    o.startPositions = {{{1, 2}, {1, 4}}, {{8, 2}, {8, 4}}};
    ScriptedGame g(o);
    AIData data(o);
    testing::internal::CaptureStdout();
    const auto [ant, d] = chooseMove(0, data, g.referee, g.random, o);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "invalid vector<T> subscript\ninvalid vector<T> subscript\n");
    EXPECT_EQ(d, (Direction{0, 0}));
    EXPECT_EQ(ant, 1);

    // No sightings of the enemy: the choice guard leaves the ant at -1.
    ScriptedGame solo{RuleOptions{}};
    solo.player(0).seenEnemies.clear();
    AIData soloData(solo.referee.options);
    testing::internal::CaptureStdout();
    const auto choice = chooseMove(0, soloData, solo.referee, solo.random, solo.referee.options);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "invalid map<K, T> key\n");
    EXPECT_EQ(choice.first, -1);
}
