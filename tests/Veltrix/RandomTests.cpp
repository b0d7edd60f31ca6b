// The random source against the known reference sequences and against Boost's
// own distributions: every game, replay and signature depends on these draws
// being exactly the same everywhere.

#include "Veltrix/GameRandom.h"

#include <boost/random/lagged_fibonacci.hpp>
#include <boost/random/mersenne_twister.hpp>
#include <boost/random/uniform_int_distribution.hpp>

#include <gtest/gtest.h>

#include <climits>

using Veltrix::GameRandom;

TEST(GameRandom, IntegerEngine_ReferenceValueAfter10000Draws) {
    GameRandom random(5489);  // the Mersenne Twister's default seed
    std::uint32_t value = 0;
    for (int i = 0; i < 10000; ++i) value = random.next();
    EXPECT_EQ(value, 4123659995u);
    EXPECT_EQ(random.drawCount(), 10000u);
    EXPECT_EQ(random.realDrawCount(), 0u);
}

TEST(GameRandom, RealEngine_ReferenceValueAfter10000Draws) {
    GameRandom random(331);  // the lagged Fibonacci generator's default seed
    double value = 0;
    for (int i = 0; i < 10000; ++i) value = random.real();
    EXPECT_NEAR(value, 0.039230772001715764, 1e-12);
    EXPECT_EQ(random.realDrawCount(), 10000u);
    EXPECT_EQ(random.drawCount(), 0u);
}

TEST(GameRandom, RealEngine_SeededModuloMinimalStandard) {
    // seed mod (2^31 - 1), with 0 becoming 1.
    const auto firstReals = [](std::uint32_t seed) {
        GameRandom r(seed);
        return std::vector<double>{r.real(), r.real(), r.real()};
    };
    EXPECT_EQ(firstReals(0), firstReals(1));
    EXPECT_EQ(firstReals(2147483647u), firstReals(1));
    EXPECT_EQ(firstReals(2147483648u), firstReals(1));
    EXPECT_EQ(firstReals(4294967295u), firstReals(1));
    EXPECT_NE(firstReals(2), firstReals(1));
    boost::random::lagged_fibonacci607 boostEngine(12345u);
    GameRandom ours(12345u);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(ours.real(), boostEngine());
}

TEST(GameRandom, UniformInt_MatchesBoostDistribution) {
    const std::pair<int, int> ranges[] = {
        {0, 1},   {0, 12}, {0, 9}, {-3, 3}, {5, 5 + 1000}, {0, INT_MAX}, {INT_MIN, INT_MAX - 1},
        {-100, 0}};
    for (const auto& [lo, hi] : ranges) {
        GameRandom ours(7);
        boost::random::mt19937 engine(7);
        boost::random::uniform_int_distribution<int> reference(lo, hi);
        for (int i = 0; i < 2000; ++i)
            ASSERT_EQ(ours.uniformInt(lo, hi), reference(engine))
                << lo << ".." << hi << " draw " << i;
        EXPECT_GE(ours.drawCount(), 2000u);
    }
}

TEST(GameRandom, UniformInt_EdgeRanges) {
    GameRandom random(1);
    EXPECT_EQ(random.uniformInt(4, 4), 4);
    EXPECT_EQ(random.drawCount(), 0u);  // an empty range draws nothing

    GameRandom full(1);
    boost::random::mt19937 engine(1);
    EXPECT_EQ(full.uniformInt(INT_MIN, INT_MAX),
              static_cast<int>(static_cast<std::uint32_t>(INT_MIN) + engine()));
    EXPECT_EQ(full.drawCount(), 1u);
}

TEST(GameRandom, Bernoulli_DrawsOnlyFromTheRealEngine) {
    GameRandom random(99);
    EXPECT_FALSE(random.bernoulli(0.0));
    EXPECT_EQ(random.realDrawCount(), 0u);
    for (int i = 0; i < 100; ++i) EXPECT_TRUE(random.bernoulli(1.0));
    EXPECT_EQ(random.realDrawCount(), 100u);
    EXPECT_EQ(random.drawCount(), 0u);

    // The threshold is floor(u * 2^32) <= p * (2^32 - 1), checked on a parallel engine.
    boost::random::lagged_fibonacci607 engine(99u);
    for (int i = 0; i < 100; ++i) engine();
    int heads = 0;
    for (int i = 0; i < 10000; ++i) {
        const double u = engine();
        const bool expected = std::floor(u * 4294967296.0) <= 0.3 * 4294967295.0;
        const bool got = random.bernoulli(0.3);
        ASSERT_EQ(got, expected);
        heads += got ? 1 : 0;
    }
    EXPECT_NEAR(heads / 10000.0, 0.3, 0.03);
}

TEST(GameRandom, AdvanceTo_SameValuesAsDrawingAndRefusesGoingBack) {
    GameRandom drawn(77);
    for (int i = 0; i < 1234; ++i) drawn.next();
    for (int i = 0; i < 321; ++i) drawn.real();
    GameRandom advanced(77);
    advanced.advanceTo(1234, 321);
    EXPECT_EQ(advanced.next(), drawn.next());
    EXPECT_EQ(advanced.real(), drawn.real());
    EXPECT_THROW(advanced.advanceTo(1234, 400), std::logic_error);
    EXPECT_EQ(advanced.drawCount(), 1235u);  // a refused advance draws nothing
}
