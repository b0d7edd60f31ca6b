// Whole games: computer-against-computer games checked move by move (whole-state
// consistency plus what each outcome claims), replays from the move list, and
// the signature of a fixed set of games. Any unintended change to the rules or
// the opponent changes the signature; an intended one updates it with a reason.

#include "RulesTestSupport.h"

#include "Veltrix/GameEnd.h"
#include "Veltrix/SelfPlay.h"

#include <gtest/gtest.h>

using namespace Veltrix;

namespace {

// What the outcome of one move claims, checked against the states around it.
void expectOutcomeMatches(const GameState& before, const Referee& after, PlayerId p, AntId a,
                          Direction d, const MoveOutcome& o) {
    const Ant& was = before.players.at(p).ants.at(a);
    const Ant& now = after.state.players.at(p).ants.at(a);
    const std::int32_t scored = after.state.players.at(p).score - before.players.at(p).score;
    EXPECT_EQ(scored, o.foodEaten ? 1 : 0);
    if (o.couldNotMove) {
        EXPECT_FALSE(was.canMove());
        EXPECT_EQ(now.position(), was.position());
        EXPECT_EQ(now.movesLeft, was.movesLeft);
        EXPECT_FALSE(o.foodEaten || o.teleported || o.battleStarted || o.joinedBattle ||
                     o.lostAtOnce);
    } else {
        EXPECT_TRUE(was.canMove());
        EXPECT_EQ(now.movesLeft, was.movesLeft - 1);
    }
    if (o.leftField) {
        EXPECT_TRUE(now.dead && now.leftField && now.position() == was.position());
    }
    if (o.exhausted) {
        EXPECT_TRUE(now.dead && now.movesLeft == 0);
    }
    if (o.teleported) {
        EXPECT_TRUE(after.state.portalEntries.contains(now.position()) ||
                    after.state.portalExits.contains(now.position()));
    } else if (!o.couldNotMove && !o.leftField) {
        EXPECT_EQ(now.position(), was.position() + d);
    }
    if (o.battleStarted) {
        EXPECT_TRUE(o.battleDecided || after.state.battles.contains(now.position()));
        EXPECT_GE(o.enemyPlayer, 0);
        EXPECT_NE(o.enemyPlayer, p);
    }
    if (o.lostAtOnce) {
        EXPECT_TRUE(now.dead && now.killed);
    }
    if (o.battleDecided) {
        EXPECT_GE(o.winner, 0);
        EXPECT_EQ(after.state.battles.size() + 1,
                  before.battles.size() + (o.battleStarted ? 1 : 0));
        for (const auto& [loser, ants] : o.losers)
            for (const AntId id : ants) {
                EXPECT_TRUE(after.state.players.at(loser).ants.at(id).killed);
            }
    } else {
        EXPECT_EQ(o.winner, -1);
        EXPECT_TRUE(o.losers.empty() && o.winnerAnts.empty());
    }
}

void playCheckedGames(const RuleOptions& options, std::uint32_t seed, int games) {
    GameRandom random(seed);
    for (int n = 0; n < games; ++n) {
        Referee referee(0, options, random);
        auto opponents = VX3D::makeOpponents(options);
        RulesTest::expectConsistent(referee);
        while (!isGameOver(referee)) {
            const PlayerId p = referee.currentPlayer();
            const auto [a, d] = VX3D::computerMove(opponents, referee, random);
            const GameState before = referee.state;
            const MoveOutcome o = VX3D::makeMove(referee, p, a, d, random);
            RulesTest::expectConsistent(referee);
            expectOutcomeMatches(before, referee, p, a, d, o);
            if (::testing::Test::HasFailure())
                FAIL() << "seed " << seed << " game " << n << " move " << referee.movesMade() - 1;
        }
        EXPECT_LE(referee.movesMade(),
                  options.movesPerAnt * options.players * options.antsPerPlayer);
    }
}

// FNV-1a over every move and every outcome field.
class Digest {
public:
    void add(std::int64_t v) {
        for (int i = 0; i < 8; ++i) {
            hash_ ^= static_cast<std::uint8_t>(v >> (8 * i));
            hash_ *= 0x100000001b3ull;
        }
    }
    std::uint64_t value() const { return hash_; }

private:
    std::uint64_t hash_ = 0xcbf29ce484222325ull;
};

}  // namespace

TEST(WholeGames, ShippedRules_ConsistentAfterEveryMove) {
    const RuleOptions o(RulesTest::shippedRules());
    playCheckedGames(o, 42, 12);
    playCheckedGames(o, 7, 12);
}

TEST(WholeGames, VariantRules_ConsistentAfterEveryMove) {
    RuleOptions o(RulesTest::shippedRules());
    o.antVisibilityRadius = 1;
    o.battleRounds = 1;
    playCheckedGames(o, 11, 8);
    o.antVisibilityRadius = 0;
    playCheckedGames(o, 12, 8);

    RuleOptions three(RulesTest::shippedRules());
    three.players = 3;
    three.antsPerPlayer = 3;
    three.startPositions = {
        {{0, 5}, {0, 7}, {1, 6}}, {{19, 5}, {19, 7}, {18, 6}}, {{10, 0}, {10, 12}, {9, 0}}};
    playCheckedGames(three, 13, 6);
}

TEST(WholeGames, MoveList_ReplaysToTheSameState) {
    const RuleOptions o(RulesTest::shippedRules());
    GameRandom random(99);
    const Referee played = VX3D::playComputerGame(o, random);
    // The opponent draws only from the real engine, so the same moves on the
    // same seed meet the same food and the same portal shuffles.
    GameRandom again(99);
    Referee replay(0, o, again);
    for (const MoveRecord& m : played.history)
        VX3D::makeMove(replay, m.player, m.ant, m.direction, again);
    EXPECT_TRUE(replay.state.food == played.state.food);
    EXPECT_TRUE(replay.state.portalEntries == played.state.portalEntries);
    for (const auto& [id, p] : played.state.players) {
        const Player& r = replay.state.players.at(id);
        EXPECT_EQ(r.score, p.score);
        EXPECT_EQ(r.visible, p.visible);
        for (const auto& [a, ant] : p.ants) {
            EXPECT_EQ(r.ants.at(a).position(), ant.position());
            EXPECT_EQ(r.ants.at(a).movesLeft, ant.movesLeft);
        }
    }
}

TEST(WholeGames, Signature_FixedSeedAndGames) {
    const RuleOptions o(RulesTest::shippedRules());
    GameRandom random(42);
    Digest digest;
    std::int64_t moves = 0;
    for (int n = 0; n < 50; ++n) {
        const Referee r = VX3D::playComputerGame(
            o, random,
            [&](const Referee&, PlayerId p, AntId a, Direction d, const MoveOutcome& out) {
                ++moves;
                for (const std::int64_t v :
                     {std::int64_t{p}, std::int64_t{a}, std::int64_t{d.dx}, std::int64_t{d.dy}})
                    digest.add(v);
                for (const bool f : {out.leftField, out.foodEaten, out.battleStarted,
                                     out.lostAtOnce, out.joinedBattle, out.battleDecided,
                                     out.exhausted, out.couldNotMove, out.teleported})
                    digest.add(f);
                digest.add(out.enemyPlayer);
                digest.add(out.enemyAnt);
                digest.add(out.winner);
                for (const AntId id : out.winnerAnts) digest.add(id);
                for (const auto& [loser, ants] : out.losers) {
                    digest.add(loser);
                    for (const AntId id : ants) digest.add(id);
                }
            });
        for (const auto& [id, p] : r.state.players) digest.add(p.score);
    }
    EXPECT_EQ(moves, 5969);
    EXPECT_EQ(digest.value(), 4318061284941605863ull) << std::hex << digest.value();
    EXPECT_EQ(random.drawCount(), 6608u);
    EXPECT_EQ(random.realDrawCount(), 5042u);
}
