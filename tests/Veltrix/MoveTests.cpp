// Moves and turns through the referee: whose turn it is, the cost of a move,
// stepping off the field, the last move, refused moves, and the portals with
// their shuffle. Each case is a short scripted game checked after every move.

#include "RulesTestSupport.h"

#include <gtest/gtest.h>

using namespace Veltrix;
using RulesTest::ScriptedGame;

namespace {

// Default rules without food anywhere near the left edge, so moves there are plain.
ScriptedGame plainGame(const RuleOptions& o = RuleOptions{}) {
    ScriptedGame g(o);
    g.state().food.clear();
    g.state().food[{10, 0}] = true;  // one piece far away keeps the game running
    g.refresh();
    return g;
}

bool onlyFlag(const MoveOutcome& o, bool MoveOutcome::*flag) {
    MoveOutcome expected;
    expected.*flag = true;
    return o.leftField == expected.leftField && o.foodEaten == expected.foodEaten &&
           o.battleStarted == expected.battleStarted && o.lostAtOnce == expected.lostAtOnce &&
           o.joinedBattle == expected.joinedBattle && o.battleDecided == expected.battleDecided &&
           o.exhausted == expected.exhausted && o.couldNotMove == expected.couldNotMove &&
           o.teleported == expected.teleported && o.enemyPlayer == -1 && o.enemyAnt == -1 &&
           o.winner == -1;
}

}  // namespace

TEST(Turns, WrongPlayer_RaisesBeforeAnyChange) {
    ScriptedGame g = plainGame();
    const GameState before = g.state();
    try {
        g.referee.move(1, 0, {-1, 0}, g.random);
        FAIL();
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "wrong player wants to move");
    }
    EXPECT_TRUE(g.referee.history.empty());
    EXPECT_EQ(g.ant(1, 0).position(), before.players.at(1).ants.at(0).position());
    EXPECT_EQ(g.ant(1, 0).movesLeft, 40);
}

TEST(Turns, UnknownAnt_RaisesMapKeyErrorBeforeAnyChange) {
    ScriptedGame g = plainGame();
    try {
        g.referee.move(0, 2, {1, 0}, g.random);
        FAIL();
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "invalid map<K, T> key");
    }
    EXPECT_TRUE(g.referee.history.empty());
    EXPECT_EQ(g.player(0).moveCount, 0);
}

TEST(Turns, PlayersAlternate_HistoryRecordsEveryMove) {
    ScriptedGame g = plainGame();
    EXPECT_EQ(g.referee.currentPlayer(), 0);
    g.play(0, 0, 1, 0);
    EXPECT_EQ(g.referee.currentPlayer(), 1);
    g.play(1, 1, -1, 0);
    EXPECT_EQ(g.referee.currentPlayer(), 0);
    ASSERT_EQ(g.referee.history.size(), 2u);
    EXPECT_EQ(g.referee.history[1].player, 1);
    EXPECT_EQ(g.referee.history[1].ant, 1);
    EXPECT_EQ(g.referee.history[1].direction, (Direction{-1, 0}));
    EXPECT_EQ(g.player(0).moveCount, 1);
    EXPECT_EQ(g.player(1).moveCount, 1);
}

TEST(Moves, StepOffTheField_KillsTheAntOnItsCell) {
    ScriptedGame g = plainGame();
    const MoveOutcome o = g.play(0, 0, -1, 0);
    EXPECT_TRUE(onlyFlag(o, &MoveOutcome::leftField));
    const Ant& a = g.ant(0, 0);
    EXPECT_EQ(a.position(), (Position{0, 5}));
    EXPECT_TRUE(a.dead && a.leftField);
    EXPECT_FALSE(a.killed);
    EXPECT_EQ(a.movesLeft, 39);
}

TEST(Moves, LastMove_EatsFoodAndExhausts) {
    ScriptedGame g = plainGame();
    g.state().food[{1, 5}] = true;
    g.ant(0, 0).movesLeft = 1;
    g.refresh();
    const MoveOutcome o = g.play(0, 0, 1, 0);
    EXPECT_TRUE(o.foodEaten && o.exhausted);
    EXPECT_FALSE(o.couldNotMove || o.leftField);
    EXPECT_EQ(g.player(0).score, 1);
    EXPECT_FALSE(g.state().food.at({1, 5}));
    EXPECT_TRUE(g.ant(0, 0).dead);
    EXPECT_EQ(g.ant(0, 0).position(), (Position{1, 5}));
    EXPECT_EQ(g.ant(0, 0).movesLeft, 0);
}

TEST(Moves, NullMove_CostsAMoveOnly) {
    ScriptedGame g = plainGame();
    const MoveOutcome o = g.play(0, 1, 0, 0);
    EXPECT_TRUE(onlyFlag(o, &MoveOutcome::couldNotMove) == false);
    EXPECT_FALSE(o.couldNotMove || o.foodEaten || o.battleStarted || o.teleported);
    EXPECT_EQ(g.ant(0, 1).movesLeft, 39);
    EXPECT_EQ(g.ant(0, 1).position(), (Position{0, 7}));
    EXPECT_EQ(g.player(0).moveCount, 1);
}

TEST(Moves, DeadOrSpentAnt_CouldNotMoveButTheTurnCounts) {
    ScriptedGame g = plainGame();
    g.play(0, 0, -1, 0);  // dies off the field
    g.play(1, 0, 0, 0);
    const MoveOutcome o = g.play(0, 0, 1, 0);
    EXPECT_TRUE(onlyFlag(o, &MoveOutcome::couldNotMove));
    EXPECT_EQ(g.ant(0, 0).movesLeft, 39);
    EXPECT_EQ(g.ant(0, 0).position(), (Position{0, 5}));
    EXPECT_EQ(g.referee.history.size(), 3u);
    EXPECT_EQ(g.player(0).moveCount, 2);
}

TEST(Portals, EntryAndExit_CarryTheAntBothWays) {
    // One pair: the shuffle never changes it.
    ScriptedGame g = plainGame(RulesTest::rulesWithPortals({{{1, 5}, {15, 8}}}));
    MoveOutcome o = g.play(0, 0, 1, 0);
    EXPECT_TRUE(o.teleported);
    EXPECT_EQ(g.ant(0, 0).position(), (Position{15, 8}));
    EXPECT_EQ(g.ant(0, 0).movesLeft, 39);
    g.play(1, 0, 0, 0);
    // A (0, 0) move on a portal end goes through again: the test ignores the direction.
    o = g.play(0, 0, 0, 0);
    EXPECT_TRUE(o.teleported);
    EXPECT_EQ(g.ant(0, 0).position(), (Position{1, 5}));
    g.play(1, 0, 0, 0);
    // Stepping onto the exit end carries the ant back to the entry.
    g.place(0, 1, {14, 8});
    o = g.play(0, 1, 1, 0);
    EXPECT_TRUE(o.teleported);
    EXPECT_EQ(g.ant(0, 1).position(), (Position{1, 5}));
}

TEST(Portals, NoPassage_ForADyingAntOrPastAnEnemySighting) {
    ScriptedGame g = plainGame(RulesTest::rulesWithPortals({{{1, 5}, {15, 8}}}));
    g.ant(0, 0).movesLeft = 1;
    MoveOutcome o = g.play(0, 0, 1, 0);
    EXPECT_TRUE(o.exhausted);
    EXPECT_FALSE(o.teleported);
    EXPECT_EQ(g.ant(0, 0).position(), (Position{1, 5}));

    // An enemy seen on the portal cell blocks it; the stepping ant fights it there.
    ScriptedGame h = plainGame(RulesTest::rulesWithPortals({{{1, 5}, {15, 8}}}));
    h.place(1, 0, {1, 5});
    o = h.play(0, 0, 1, 0);
    EXPECT_FALSE(o.teleported);
    EXPECT_TRUE(o.battleStarted);
    EXPECT_EQ(h.ant(0, 0).position(), (Position{1, 5}));
}

TEST(Portals, Shuffle_ThreePairsSwapTheThirdExitWithOneDraw) {
    GameState s;
    s.portalEntries = {{{1, 1}, {11, 1}}, {{2, 2}, {12, 2}}, {{3, 3}, {13, 3}}};
    s.portalExits = {{{11, 1}, {1, 1}}, {{12, 2}, {2, 2}}, {{13, 3}, {3, 3}}};
    OrderedSet<Position> exitsSeenAtThird;
    GameRandom random(8);
    for (int i = 0; i < 40; ++i) {
        const auto before = random.drawCount();
        s.shufflePortals(random);
        EXPECT_EQ(random.drawCount(), before + 1);
        exitsSeenAtThird.insert(s.portalEntries.at({3, 3}));
        for (const auto& [entry, exit] : s.portalEntries) EXPECT_EQ(s.portalExits.at(exit), entry);
        // The first shuffle from the configured pairing moves the third exit away.
        if (i == 0) {
            EXPECT_NE(s.portalEntries.at({3, 3}), (Position{13, 3}));
        }
    }
    EXPECT_EQ(exitsSeenAtThird.size(), 3u);

    GameState two;
    two.portalEntries = {{{1, 1}, {11, 1}}, {{2, 2}, {12, 2}}};
    two.portalExits = {{{11, 1}, {1, 1}}, {{12, 2}, {2, 2}}};
    const auto before = two.portalEntries;
    two.shufflePortals(random);
    EXPECT_TRUE(two.portalEntries == before);
}

TEST(Portals, Referee_ShufflesAfterEveryFullRound) {
    ScriptedGame g = plainGame(
        RulesTest::rulesWithPortals({{{4, 2}, {15, 10}}, {{4, 10}, {15, 2}}, {{9, 1}, {10, 11}}}));
    const auto draws = g.random.drawCount();
    g.play(0, 0, 0, 0);
    EXPECT_EQ(g.random.drawCount(), draws);
    g.play(1, 0, 0, 0);
    EXPECT_EQ(g.random.drawCount(), draws + 1);
}
