// Noise, random numbers and colour ramps of the image core. Tileable textures
// rely on the noise repeating exactly at its period, and reproducible art on
// the generator giving one fixed sequence per seed.
#include "imagecore/Noise.h"
#include "imagecore/Ramp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace vximg;

TEST(ImageNoise, LatticeNoise_RepeatsAtItsPeriod) {
    Rng rng(5);
    const glm::ivec2 period(3, 7);
    for (int i = 0; i < 200; ++i) {
        const glm::vec2 p(rng.range(-10, 10), rng.range(-10, 10));
        const glm::vec2 shift(static_cast<float>(period.x * 2), static_cast<float>(-period.y));
        EXPECT_NEAR(valueNoise(p, period, 9), valueNoise(p + shift, period, 9), 1e-4f);
        EXPECT_NEAR(gradientNoise(p, period, 9), gradientNoise(p + shift, period, 9), 1e-4f);
    }
}

TEST(ImageNoise, LatticeNoise_StaysInRangeAndVaries) {
    Rng rng(6);
    float lo = 1e9f, hi = -1e9f;
    for (int i = 0; i < 2000; ++i) {
        const glm::vec2 p(rng.range(0, 8), rng.range(0, 8));
        const float v = valueNoise(p, {8, 8}, 3);
        const float g = gradientNoise(p, {8, 8}, 3);
        EXPECT_GE(v, 0.0f);
        EXPECT_LE(v, 1.0f);
        EXPECT_LE(std::fabs(g), 1.05f);
        lo = std::min(lo, g);
        hi = std::max(hi, g);
    }
    EXPECT_GT(hi - lo, 0.8f) << "gradient noise is nearly flat";
}

TEST(ImageNoise, Fbm_ContinuesAcrossTheTileBorders) {
    for (const NoiseKind kind : {NoiseKind::Value, NoiseKind::Gradient}) {
        const Fbm fbm{{3, 5}, 6, 0.5f, kind, 17};
        for (int i = 0; i <= 20; ++i) {
            const float t = static_cast<float>(i) / 20.0f;
            // Leaving the tile on one side re-enters it on the other.
            EXPECT_NEAR(fbm({1.0f, t}), fbm({0.0f, t}), 1e-4f);
            EXPECT_NEAR(fbm({t, 1.0f}), fbm({t, 0.0f}), 1e-4f);
            EXPECT_NEAR(fbm.ridged({1.0f + 0.001f, t}), fbm.ridged({0.001f, t}), 1e-4f);
            // And nearby points on both sides of a border are close.
            EXPECT_NEAR(fbm({0.9995f, t}), fbm({0.0005f, t}), 0.05f);
        }
    }
}

TEST(ImageNoise, Fbm_SeedChangesThePattern) {
    const Fbm a{{4, 4}, 4, 0.5f, NoiseKind::Gradient, 1};
    Fbm b = a;
    b.seed = 2;
    float diff = 0.0f;
    for (int i = 0; i < 100; ++i) {
        const glm::vec2 uv(static_cast<float>(i % 10) / 10.0f + 0.05f,
                           static_cast<float>(i / 10) / 10.0f + 0.05f);
        diff += std::fabs(a(uv) - b(uv));
    }
    EXPECT_GT(diff / 100.0f, 0.05f);
}

TEST(ImageNoise, Period_BelowOneIsRefused) {
    EXPECT_THROW(valueNoise({0.5f, 0.5f}, {0, 4}, 1), std::invalid_argument);
    EXPECT_THROW(gradientNoise({0.5f, 0.5f}, {4, -1}, 1), std::invalid_argument);
    EXPECT_THROW(cellDistance({0.5f, 0.5f}, {0, 0}, 1), std::invalid_argument);
}

TEST(ImageNoise, CellDistance_TilesAndIsBounded) {
    for (int i = 0; i <= 10; ++i) {
        const float t = static_cast<float>(i) / 10.0f;
        EXPECT_NEAR(cellDistance({1.0f, t}, {5, 5}, 4), cellDistance({0.0f, t}, {5, 5}, 4), 1e-4f);
        EXPECT_LE(cellDistance({t, 0.3f}, {5, 5}, 4), 1.5f);
    }
}

TEST(ImageRng, SameSeed_GivesTheSameSequence) {
    Rng a(42), b(42), c(43);
    bool differs = false;
    for (int i = 0; i < 100; ++i) {
        const std::uint32_t x = a.next();
        EXPECT_EQ(x, b.next());
        differs |= x != c.next();
    }
    EXPECT_TRUE(differs);
}

TEST(ImageRng, Ranges_StayInsideTheirBounds) {
    Rng rng(7);
    std::set<int> seen;
    for (int i = 0; i < 5000; ++i) {
        const float u = rng.uniform();
        EXPECT_GE(u, 0.0f);
        EXPECT_LT(u, 1.0f);
        const float r = rng.range(-2.0f, 3.0f);
        EXPECT_GE(r, -2.0f);
        EXPECT_LT(r, 3.0f);
        const int k = rng.below(6);
        EXPECT_GE(k, 0);
        EXPECT_LT(k, 6);
        seen.insert(k);
        EXPECT_TRUE(std::isfinite(rng.normal()));
    }
    EXPECT_EQ(seen.size(), 6u);
    EXPECT_THROW(rng.below(0), std::invalid_argument);
}

TEST(ImageColorRamp, Lookup_InterpolatesBetweenStopsAndClampsAtTheEnds) {
    const ColorRamp ramp{{0.2f, {0, 0, 0, 1}}, {0.6f, {1, 0.5f, 0, 1}}, {1.0f, {1, 1, 1, 1}}};
    EXPECT_EQ(ramp(-1.0f), glm::vec4(0, 0, 0, 1));
    EXPECT_EQ(ramp(2.0f), glm::vec4(1, 1, 1, 1));
    const glm::vec4 mid = ramp(0.4f);
    EXPECT_NEAR(mid.r, 0.5f, 1e-6f);
    EXPECT_NEAR(mid.g, 0.25f, 1e-6f);
    EXPECT_NEAR(ramp(0.8f).b, 0.5f, 1e-6f);
}

TEST(ImageColorRamp, Construction_RejectsEmptyOrUnsortedStops) {
    EXPECT_THROW(ColorRamp({}), std::invalid_argument);
    EXPECT_THROW(ColorRamp({{0.5f, {}}, {0.5f, {}}}), std::invalid_argument);
    EXPECT_THROW(ColorRamp({{0.7f, {}}, {0.1f, {}}}), std::invalid_argument);
}
