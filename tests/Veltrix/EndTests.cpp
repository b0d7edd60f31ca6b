// The end of a game: the engine's isOver and the controller's end-of-game rule
// with its four conditions, and who has won.

#include "RulesTestSupport.h"

#include "Veltrix/GameEnd.h"

#include <gtest/gtest.h>

using namespace Veltrix;
using RulesTest::ScriptedGame;

TEST(GameEnd, IsOver_WhenFoodIsGoneEvenWithMovesLeft) {
    ScriptedGame g{RuleOptions{}};
    EXPECT_FALSE(g.state().isOver());
    for (auto& [cell, present] : g.state().food) present = false;
    EXPECT_TRUE(g.state().isOver());
    EXPECT_TRUE(isGameOver(g.referee));
}

TEST(GameEnd, IsOver_WhenNoAntCanMoveWithFoodLeft) {
    ScriptedGame g{RuleOptions{}};
    g.ant(0, 0).dead = true;
    g.ant(0, 1).movesLeft = 0;
    g.ant(1, 0).dead = true;
    EXPECT_FALSE(g.state().isOver());
    g.ant(1, 1).dead = true;
    EXPECT_TRUE(g.state().isOver());
}

TEST(GameEnd, MoveLimit_EndsTheGame) {
    RuleOptions o;
    o.movesPerAnt = 2;  // 2 x 2 players x 2 ants = 8 moves
    ScriptedGame g(o);
    for (int i = 0; i < 7; ++i) {
        g.play(i % 2, (i / 2) % 2, 0, 0);
        EXPECT_FALSE(isGameOver(g.referee)) << i;
    }
    g.play(1, 1, 0, 0);
    EXPECT_TRUE(isGameOver(g.referee));
}

TEST(GameEnd, ScoreAboveHalfTheFood_EndsTheGame) {
    ScriptedGame g{RuleOptions{}};
    g.player(1).score = 16;
    EXPECT_FALSE(isGameOver(g.referee));
    g.player(1).score = 17;
    EXPECT_TRUE(isGameOver(g.referee));
}

TEST(GameEnd, StuckPlayerBehind_EndsButNotWhenLevelOrAhead) {
    ScriptedGame g{RuleOptions{}};
    g.ant(0, 0).dead = true;
    g.ant(0, 1).dead = true;
    g.player(1).score = 2;
    g.player(0).score = 2;
    EXPECT_FALSE(isGameOver(g.referee));  // level: player 0 cannot lose any more but may draw
    g.player(0).score = 3;
    EXPECT_FALSE(isGameOver(g.referee));  // ahead: player 1 may still catch up
    g.player(0).score = 1;
    EXPECT_TRUE(isGameOver(g.referee));
    EXPECT_EQ(gameWinner(g.state()), 1);
}

TEST(GameEnd, Winner_HigherScoreOrDraw) {
    ScriptedGame g{RuleOptions{}};
    EXPECT_EQ(gameWinner(g.state()), -1);
    g.player(0).score = 4;
    EXPECT_EQ(gameWinner(g.state()), 0);
    g.player(1).score = 4;
    EXPECT_EQ(gameWinner(g.state()), -1);
}

TEST(GameEnd, ThreePlayers_SettledWhenOnlyTheLeaderCanMove) {
    RuleOptions o;
    o.players = 3;
    o.startPositions.push_back({{10, 0}, {10, 12}});
    ScriptedGame g(o);
    for (const PlayerId p : {1, 2})
        for (const AntId a : {0, 1}) g.ant(p, a).dead = true;
    g.player(0).score = 2;
    g.player(1).score = 1;
    g.player(2).score = 2;
    EXPECT_FALSE(isGameOver(g.referee));
    g.player(2).score = 0;
    EXPECT_TRUE(isGameOver(g.referee));
    EXPECT_EQ(gameWinner(g.state()), 0);
}
