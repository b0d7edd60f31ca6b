// Set-up of a new game: players and ants at their start cells, the portal pairs,
// food placement (where, how much, in which order it draws) and its guard.

#include "RulesTestSupport.h"

#include "Veltrix/GameState.h"

#include <gtest/gtest.h>

using namespace Veltrix;

namespace {

RuleOptions shipped() {
    return RuleOptions(RulesTest::shippedRules());
}

}  // namespace

TEST(Setup, PlayersAndAnts_AtStartCellsWithUnseenGrids) {
    const RuleOptions o = shipped();
    GameRandom random(42);
    const GameState s(o, random);
    ASSERT_EQ(s.players.size(), 2u);
    for (const auto& [id, p] : s.players) {
        EXPECT_EQ(p.score, 0);
        EXPECT_EQ(p.moveCount, 0);
        ASSERT_EQ(p.ants.size(), 2u);
        for (const auto& [a, ant] : p.ants) {
            EXPECT_EQ(ant.position(), o.startPositions[id][a]);
            EXPECT_EQ(ant.movesLeft, 40);
            EXPECT_FALSE(ant.dead || ant.fighting || ant.killed || ant.leftField);
        }
        ASSERT_EQ(p.knowledge.size(), 13u);
        for (const auto& row : p.knowledge) {
            ASSERT_EQ(row.size(), 20u);
            for (const auto& k : row)
                EXPECT_FALSE(k.seen || k.food || k.portal || k.seenAt != 0 ||
                             k.portalExit != Position{});
        }
        EXPECT_TRUE(p.seenEnemies.empty());
    }
    // (0, 5) and (0, 7) with radius 2: columns 0..2, rows 3..9.
    EXPECT_EQ(s.players.at(0).visible.size(), 21u);
    EXPECT_EQ(*s.players.at(0).visible.begin(), (Position{0, 3}));
    EXPECT_EQ(*s.players.at(0).visible.rbegin(), (Position{2, 9}));
    EXPECT_EQ(s.portalEntries.size(), 3u);
    EXPECT_EQ(s.portalEntries.at({4, 2}), (Position{15, 10}));
    EXPECT_EQ(s.portalExits.at({15, 10}), (Position{4, 2}));
    EXPECT_EQ(s.firstInconsistency(o), "");
}

TEST(Setup, Food_HalfInEachHalfNeverOnStartOrPortalCells) {
    const RuleOptions o = shipped();
    for (std::uint32_t seed : {1u, 42u, 777u}) {
        GameRandom random(seed);
        const GameState s(o, random);
        ASSERT_EQ(s.food.size(), 32u);
        int left = 0;
        for (const auto& [cell, present] : s.food) {
            EXPECT_TRUE(present);
            left += cell.x < 10 ? 1 : 0;
            for (const auto& ants : o.startPositions)
                for (const Position start : ants) EXPECT_NE(cell, start);
            for (std::size_t i = 0; i < 3; ++i) {
                EXPECT_NE(cell, o.portalLeft[i]);
                EXPECT_NE(cell, o.portalRight[i]);
            }
        }
        EXPECT_EQ(left, 16);
    }
}

TEST(Setup, Food_OddCountsAndOddWidth) {
    RuleOptions o;
    o.foodPieces = 1;
    GameRandom r1(3);
    EXPECT_TRUE(GameState(o, r1).food.empty());

    o.foodPieces = 33;
    GameRandom r2(3);
    EXPECT_EQ(GameState(o, r2).food.size(), 32u);

    // Width 21: halves are columns 0..9 and 10..19, so column 20 stays empty.
    o.fieldWidth = 21;
    o.foodPieces = 200;
    GameRandom r3(3);
    const GameState s(o, r3);
    EXPECT_EQ(s.food.size(), 200u);
    for (const auto& [cell, present] : s.food) EXPECT_LT(cell.x, 20);
}

TEST(Setup, Food_DrawOrderIsLeftHalfRightHalfThenShuffle) {
    const RuleOptions o = shipped();
    GameRandom random(42);
    const Referee referee(0, o, random);

    // Replay the draws by hand: y before x, repeats and forbidden cells drawn again.
    GameRandom replay(42);
    OrderedSet<Position> expected;
    for (const std::int32_t offset : {0, 10}) {
        std::size_t placed = 0;
        while (placed < 16) {
            const std::int32_t y = replay.uniformInt(0, 12);
            const Position p{offset + replay.uniformInt(0, 9), y};
            bool forbidden = false;
            for (const auto& ants : o.startPositions)
                for (const Position s : ants) forbidden = forbidden || s == p;
            for (std::size_t i = 0; i < 3; ++i)
                forbidden = forbidden || p == o.portalLeft[i] || p == o.portalRight[i];
            if (!forbidden && expected.insert(p).second) ++placed;
        }
    }
    OrderedSet<Position> placedCells;
    for (const auto& [cell, present] : referee.state.food) placedCells.insert(cell);
    EXPECT_EQ(placedCells, expected);
    // Three pairs: the shuffle draws exactly once more.
    EXPECT_EQ(random.drawCount(), replay.drawCount() + 1);
}

TEST(Setup, SameSeed_SameFoodAndPortalPairing) {
    const RuleOptions o = shipped();
    GameRandom a(2024);
    GameRandom b(2024);
    const Referee ra(0, o, a);
    const Referee rb(0, o, b);
    EXPECT_TRUE(ra.state.food == rb.state.food);
    EXPECT_TRUE(ra.state.portalEntries == rb.state.portalEntries);
    GameRandom c(2025);
    const Referee rc(0, o, c);
    EXPECT_FALSE(ra.state.food == rc.state.food);
}

TEST(Setup, Food_TooFewFreeCellsRaisesInsteadOfLooping) {
    RuleOptions o;
    o.fieldWidth = 4;
    o.fieldHeight = 3;
    o.startPositions = {{{0, 0}, {0, 1}}, {{3, 0}, {3, 1}}};
    o.foodPieces = 10;  // five per half, but each half has 6 cells, 2 of them start cells
    GameRandom random(1);
    try {
        GameState s(o, random);
        FAIL() << "no error";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(
            e.what(),
            "cannot place 5 food pieces in the left half of the field: it has only 4 free cells");
    }
    o.foodPieces = 8;  // four per half fit exactly
    GameRandom again(1);
    EXPECT_EQ(GameState(o, again).food.size(), 8u);

    o.fieldWidth = 1;  // the halves have no columns at all
    o.startPositions = {{{0, 0}, {0, 1}}, {{0, 2}, {0, 2}}};
    o.foodPieces = 2;
    GameRandom none(1);
    EXPECT_THROW(GameState(o, none), std::logic_error);
}

TEST(Setup, CheckPosition_FieldBounds) {
    EXPECT_NO_THROW(checkPosition({19, 12}, 20, 13));
    EXPECT_NO_THROW(checkPosition({0, 0}, 20, 13));
    for (const Position p : {Position{20, 0}, Position{0, -1}, Position{-1, 0}, Position{0, 13}}) {
        try {
            checkPosition(p, 20, 13);
            FAIL() << p.x << "," << p.y;
        } catch (const InvalidPosition& e) {
            EXPECT_STREQ(e.what(), "wrong coordinate");
        }
    }
}

TEST(Setup, ThirdAntDefault_SharesCellZero) {
    RuleOptions o;
    o.antsPerPlayer = 3;
    o.startPositions = {{{0, 5}, {0, 7}, {0, 0}}, {{19, 5}, {19, 7}, {0, 0}}};
    GameRandom random(5);
    const GameState s(o, random);
    EXPECT_EQ(s.players.at(0).ants.at(2).position(), s.players.at(1).ants.at(2).position());
    EXPECT_EQ(s.firstInconsistency(o), "");
}
