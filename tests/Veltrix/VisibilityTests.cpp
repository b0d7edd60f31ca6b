// What players see and remember: the visible squares, the knowledge grid with
// food and portals, sightings of enemy ants (all of them in the first round,
// only visible ones later), and food eaten on stale knowledge.

#include "RulesTestSupport.h"

#include <gtest/gtest.h>

using namespace Veltrix;
using RulesTest::ScriptedGame;

namespace {

OrderedSet<Position> square(std::int32_t x0, std::int32_t x1, std::int32_t y0, std::int32_t y1) {
    OrderedSet<Position> cells;
    for (std::int32_t x = x0; x <= x1; ++x)
        for (std::int32_t y = y0; y <= y1; ++y) cells.insert({x, y});
    return cells;
}

}  // namespace

TEST(Visibility, Squares_ClippedToTheFieldAndJoined) {
    RuleOptions o;
    o.startPositions = {{{0, 5}, {1, 1}}, {{19, 5}, {19, 7}}};
    Player p(0, o);
    OrderedSet<Position> expected = square(0, 2, 3, 7);
    for (const Position c : square(0, 3, 0, 3)) expected.insert(c);
    EXPECT_EQ(p.visible, expected);

    p.ants.erase(1);
    p.updateVisible(o);
    EXPECT_EQ(p.visible, square(0, 2, 3, 7));

    o.antVisibilityRadius = 0;
    p.updateVisible(o);
    EXPECT_EQ(p.visible, (OrderedSet<Position>{{0, 5}}));

    // Dead ants keep seeing from where they lie.
    p.ants.at(0).dead = true;
    p.updateVisible(o);
    EXPECT_EQ(p.visible.size(), 1u);
}

TEST(Visibility, FirstRound_ShowsEveryEnemyThenOnlyVisibleOnes) {
    ScriptedGame g{RuleOptions{}};
    // Player 0's view at the start lists both enemy ants across the field.
    ASSERT_EQ(g.player(0).seenEnemies.at(1).size(), 2u);
    EXPECT_EQ(g.player(0).seenEnemies.at(1).at(0).position(), (Position{19, 5}));
    g.play(0, 0, 1, 0);
    // Player 1's first view (after one move) still lists every enemy ant.
    const auto& seenBy1 = g.player(1).seenEnemies.at(0);
    EXPECT_EQ(seenBy1.at(0).position(), (Position{1, 5}));
    EXPECT_EQ(seenBy1.at(0).seenAt, 0);
    g.play(1, 0, -1, 0);
    g.play(0, 0, 1, 0);
    // Not in the first round any more: the old sighting stays as it was.
    EXPECT_EQ(g.player(1).seenEnemies.at(0).at(0).position(), (Position{1, 5}));
    EXPECT_EQ(g.player(1).seenEnemies.at(0).at(0).seenAt, 0);
    EXPECT_EQ(g.player(0).seenEnemies.at(1).at(0).position(), (Position{19, 5}));

    // Once an enemy is within sight, its sighting is renewed.
    g.place(1, 1, {3, 7});
    g.play(1, 1, 0, 0);
    const SeenAnt& seen = g.player(0).seenEnemies.at(1).at(1);
    EXPECT_EQ(seen.position(), (Position{3, 7}));
    EXPECT_EQ(seen.movesLeft, 39);
    EXPECT_EQ(seen.seenAt, g.player(0).moveCount);
}

TEST(Visibility, Knowledge_RemembersFoodAndPortalsOutOfSight) {
    RuleOptions o = RulesTest::rulesWithPortals({{{2, 5}, {17, 5}}});
    ScriptedGame g(o);
    g.state().food.clear();
    g.state().food[{1, 3}] = true;
    g.state().food[{10, 10}] = true;
    g.refresh();
    const auto& k = g.player(0).knowledge;
    EXPECT_TRUE(k[3][1].seen && k[3][1].food);
    EXPECT_TRUE(k[5][2].portal);
    EXPECT_EQ(k[5][2].portalExit, (Position{17, 5}));
    EXPECT_FALSE(k[10][10].seen || k[10][10].food);
    // Player 1 at (19, 5) sees the exit end and learns where it leads.
    EXPECT_TRUE(g.player(1).knowledge[5][17].portal);
    EXPECT_EQ(g.player(1).knowledge[5][17].portalExit, (Position{2, 5}));

    // Walk away: what was seen at (1, 3) stays, with the old move count.
    g.play(0, 0, 1, 1);  // to (1, 6)
    g.play(1, 0, 0, 0);
    g.play(0, 1, 0, 1);  // (0, 7) -> (0, 8)
    g.play(1, 0, 0, 0);
    g.play(0, 0, 1, 1);  // (1, 6) -> (2, 7)
    EXPECT_TRUE(k[3][1].food);
    EXPECT_LT(k[3][1].seenAt, g.player(0).moveCount);
    EXPECT_TRUE(k[3][1].seen);
}

TEST(Visibility, RadiusZero_FoodOnStaleCellsIsLostWithoutScore) {
    RuleOptions o;
    o.antVisibilityRadius = 0;
    ScriptedGame g(o);
    g.state().food.clear();
    g.state().food[{1, 5}] = true;
    g.state().food[{10, 10}] = true;
    g.refresh();
    const MoveOutcome out = g.play(0, 0, 1, 0);
    EXPECT_FALSE(out.foodEaten);
    EXPECT_EQ(g.player(0).score, 0);
    EXPECT_FALSE(g.state().food.at({1, 5}));
    EXPECT_FALSE(g.player(0).knowledge[5][1].food);
}

// Fields higher than 64 rows look cells up in the visible set instead of by
// column masks; what is seen must not depend on which.
TEST(Visibility, TallField_FoodPortalsAndEnemiesFarDownAreSeen) {
    RuleOptions o;
    o.fieldWidth = 3;
    o.fieldHeight = 100;
    o.noOfPortals = 0;
    o.portalLeft.clear();
    o.portalRight.clear();
    o.startPositions = {{{0, 70}, {1, 90}}, {{1, 72}, {2, 10}}};
    GameState s;
    s.players.emplace(0, Player(0, o));
    s.players.emplace(1, Player(1, o));
    s.food = {{{0, 30}, true}, {{0, 71}, true}, {{1, 88}, false}, {{2, 92}, true}};
    s.portalEntries = {{{2, 68}, {0, 1}}};
    s.portalExits = {{{0, 1}, {2, 68}}};
    s.updateView(0, o, false);

    const auto& k = s.players.at(0).knowledge;
    EXPECT_TRUE(k[71][0].seen && k[71][0].food);
    EXPECT_TRUE(k[92][2].seen && k[92][2].food);
    EXPECT_TRUE(k[88][1].seen && !k[88][1].food);  // eaten
    EXPECT_FALSE(k[30][0].seen || k[30][0].food);  // out of sight
    EXPECT_TRUE(k[68][2].portal);
    EXPECT_EQ(k[68][2].portalExit, (Position{0, 1}));
    EXPECT_FALSE(k[1][0].seen);
    const auto& sightings = s.players.at(0).seenEnemies.at(1);
    EXPECT_EQ(sightings.size(), 1u);
    EXPECT_EQ(sightings.at(0).position(), (Position{1, 72}));
}
