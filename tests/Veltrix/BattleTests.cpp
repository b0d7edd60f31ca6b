// Battles: how they start, who joins, who leads, when they are due, and that
// only one is decided per move. Each case plays the fight through the referee
// from a hand-made position and checks the whole state after every move.

#include "RulesTestSupport.h"

#include <gtest/gtest.h>

using namespace Veltrix;
using RulesTest::ScriptedGame;

namespace {

ScriptedGame fightGame(std::int32_t antsPerPlayer = 2) {
    RuleOptions o;
    o.antsPerPlayer = antsPerPlayer;
    o.startPositions = {{}, {}};
    for (std::int32_t a = 0; a < antsPerPlayer; ++a) {
        o.startPositions[0].push_back({0, 2 + 2 * a});
        o.startPositions[1].push_back({19, 2 + 2 * a});
    }
    ScriptedGame g(o);
    g.state().food.clear();
    g.state().food[{10, 12}] = true;
    g.refresh();
    return g;
}

}  // namespace

TEST(Battles, OneAgainstOne_StartsAndIsDecidedAfterTheRounds) {
    ScriptedGame g = fightGame();
    g.place(1, 0, {5, 5});
    g.place(0, 0, {4, 5});
    // Ten plain moves first, so the battle starts at move 10.
    for (int i = 0; i < 5; ++i) {
        g.play(0, 1, 0, 0);
        g.play(1, 1, 0, 0);
    }
    MoveOutcome o = g.play(0, 0, 1, 0);
    ASSERT_TRUE(o.battleStarted);
    EXPECT_EQ(o.enemyPlayer, 1);
    EXPECT_EQ(o.enemyAnt, 0);
    const Battle& b = g.state().battles.at({5, 5});
    EXPECT_EQ(b.endMove, 20);
    EXPECT_EQ(b.leader, 0);
    EXPECT_FALSE(b.decided);
    EXPECT_TRUE(g.ant(0, 0).fighting && g.ant(1, 0).fighting);

    // A fighting ant cannot move and is not charged for trying.
    o = g.play(1, 0, -1, 0);
    EXPECT_TRUE(o.couldNotMove);
    EXPECT_EQ(g.ant(1, 0).movesLeft, 40);

    for (int move = 12; move < 20; ++move) {
        o = g.play(move % 2, 1, 0, 0);
        EXPECT_FALSE(o.battleDecided) << move;
    }
    o = g.play(0, 1, 0, 0);  // move 20, the 21st
    ASSERT_TRUE(o.battleDecided);
    EXPECT_EQ(o.winner, 0);
    EXPECT_EQ(o.winnerAnts, (OrderedSet<AntId>{0}));
    EXPECT_EQ(o.losers.size(), 1u);
    EXPECT_EQ(o.losers.at(1), (OrderedSet<AntId>{0}));
    EXPECT_TRUE(g.state().battles.empty());
    EXPECT_FALSE(g.ant(0, 0).fighting || g.ant(0, 0).dead);
    EXPECT_TRUE(g.ant(1, 0).dead && g.ant(1, 0).killed);
    EXPECT_FALSE(g.ant(1, 0).fighting);
}

TEST(Battles, LeadersLastAnt_DecidesInTheSameMove) {
    ScriptedGame g = fightGame();
    g.place(1, 0, {5, 5});
    g.place(0, 0, {4, 5});
    g.place(0, 1, {6, 6});
    ASSERT_TRUE(g.play(0, 0, 1, 0).battleStarted);
    g.play(1, 1, 0, 0);
    const MoveOutcome o = g.play(0, 1, -1, -1);
    EXPECT_TRUE(o.joinedBattle);
    EXPECT_TRUE(o.battleDecided);
    EXPECT_EQ(o.winner, 0);
    EXPECT_EQ(o.winnerAnts, (OrderedSet<AntId>{0, 1}));
    EXPECT_TRUE(g.ant(1, 0).dead);
}

TEST(Battles, DefenderJoinedByMore_TakesTheLead) {
    ScriptedGame g = fightGame();
    g.place(1, 0, {5, 5});
    g.place(1, 1, {6, 5});
    g.place(0, 0, {4, 5});
    ASSERT_TRUE(g.play(0, 0, 1, 0).battleStarted);
    const MoveOutcome o = g.play(1, 1, -1, 0);
    EXPECT_TRUE(o.joinedBattle);
    ASSERT_TRUE(o.battleDecided);
    EXPECT_EQ(o.winner, 1);
    EXPECT_EQ(o.losers.at(0), (OrderedSet<AntId>{0}));
    EXPECT_TRUE(g.ant(0, 0).dead && g.ant(0, 0).killed);
}

TEST(Battles, EqualCountsOnJoin_LeaderStays) {
    ScriptedGame g = fightGame(3);
    g.place(1, 0, {5, 5});
    g.place(1, 1, {6, 5});
    g.place(0, 0, {4, 5});
    g.place(0, 1, {4, 4});
    ASSERT_TRUE(g.play(0, 0, 1, 0).battleStarted);
    g.play(1, 2, 0, 0);
    ASSERT_TRUE(g.play(0, 1, 1, 1).joinedBattle);
    ASSERT_TRUE(g.play(1, 1, -1, 0).joinedBattle);  // two against two
    const Battle& b = g.state().battles.at({5, 5});
    EXPECT_EQ(b.leader, 0);
    EXPECT_FALSE(b.decided);
    MoveOutcome o;
    for (int move = 4; move <= 10; ++move) o = g.play(move % 2, 2, 0, 0);
    ASSERT_TRUE(o.battleDecided);  // move 10 = 0 + 5 rounds x 2 players
    EXPECT_EQ(o.winner, 0);
    EXPECT_EQ(o.losers.at(1), (OrderedSet<AntId>{0, 1}));
}

TEST(Battles, TwoOrMoreEnemies_KillAtOnceButDeadOnesDoNotCount) {
    ScriptedGame g = fightGame();
    g.place(1, 0, {5, 5});
    g.place(1, 1, {5, 5});
    g.place(0, 0, {4, 5});
    MoveOutcome o = g.play(0, 0, 1, 0);
    EXPECT_TRUE(o.lostAtOnce);
    EXPECT_FALSE(o.battleStarted);
    EXPECT_TRUE(g.ant(0, 0).dead && g.ant(0, 0).killed);
    EXPECT_FALSE(g.ant(0, 0).fighting);
    EXPECT_TRUE(g.state().battles.empty());

    ScriptedGame h = fightGame();
    h.place(1, 0, {5, 5});
    h.place(1, 1, {5, 5});
    h.ant(1, 1).dead = true;
    h.place(0, 0, {4, 5});
    o = h.play(0, 0, 1, 0);
    EXPECT_TRUE(o.battleStarted);
    EXPECT_EQ(o.enemyAnt, 0);
}

TEST(Battles, TwoDueAtOnce_FirstInCellOrderThenTheOther) {
    ScriptedGame g = fightGame();
    g.place(0, 0, {8, 8});
    g.place(1, 0, {8, 8});
    g.place(0, 1, {5, 5});
    g.place(1, 1, {5, 5});
    for (const Position cell : {Position{8, 8}, Position{5, 5}}) {
        Battle b;
        b.endMove = 0;
        const AntId id = cell.x == 8 ? 0 : 1;
        b.participants[0].insert(id);
        b.participants[1].insert(id);
        g.state().battles.emplace(cell, b);
        g.ant(0, id).fighting = g.ant(1, id).fighting = true;
    }
    MoveOutcome o = g.play(0, 0, 1, 0);
    EXPECT_TRUE(o.couldNotMove);
    ASSERT_TRUE(o.battleDecided);
    EXPECT_EQ(o.winnerAnts, (OrderedSet<AntId>{1}));  // (5, 5) comes first
    EXPECT_EQ(g.state().battles.size(), 1u);
    o = g.play(1, 1, 0, 0);  // dead now: still decides the other one
    EXPECT_TRUE(o.couldNotMove);
    ASSERT_TRUE(o.battleDecided);
    EXPECT_EQ(o.winnerAnts, (OrderedSet<AntId>{0}));
    EXPECT_TRUE(g.state().battles.empty());
}
