// The frame loop's half-second beat: when beats come, the count of missed beats after a long
// frame, the frame count handed to the frame-rate line, the line's text, and the projection.
#include "Veltrix3D/FrameBeat.h"

#include <gtest/gtest.h>

#include <cmath>

using VX3D::FrameBeat;

TEST(FrameBeat, SteadySixtyFramesPerSecond_ShowsSixtyAndSixteenMilliseconds) {
    FrameBeat beat;
    std::optional<VX3D::Beat> last;
    int beats = 0;
    for (int i = 0; i < 600; ++i) {
        if (auto b = beat.frame(1.0 / 60.0)) {
            last = b;
            ++beats;
            EXPECT_EQ(b->missed, 0u);
        }
    }
    EXPECT_GE(beats, 19);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->frames, 30u);
    EXPECT_EQ(VX3D::frameRateText(last->frames, 1234), "60 FPS (16ms), 1234 primitives");
}

TEST(FrameBeat, FirstBeat_CountsTheFramesSinceTheLoopBegan) {
    FrameBeat beat;
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(beat.frame(0.125));
    const auto b = beat.frame(0.125);  // the accumulator reaches exactly 0: a beat
    ASSERT_TRUE(b);
    EXPECT_EQ(b->frames, 3u);
    EXPECT_EQ(b->missed, 0u);
    EXPECT_DOUBLE_EQ(beat.accumulator(), 0.5);
    EXPECT_EQ(beat.frameCounter(), 1u);  // the beat's own frame starts the next count
}

TEST(FrameBeat, LongFrame_CountsTheMissedBeats) {
    {
        FrameBeat beat;
        beat.frame(0.25);  // accumulator 0.25
        const auto b = beat.frame(1.25);
        ASSERT_TRUE(b);
        EXPECT_EQ(b->missed, 2u);  // -1.0 needs three periods
        EXPECT_DOUBLE_EQ(beat.accumulator(), 0.5);
    }
    {
        FrameBeat beat;
        beat.frame(0.125);  // accumulator 0.375
        const auto b = beat.frame(1.25);
        ASSERT_TRUE(b);
        EXPECT_EQ(b->missed, 1u);  // -0.875 needs two
        EXPECT_DOUBLE_EQ(beat.accumulator(), 0.125);
    }
}

TEST(FrameBeat, HugeFrame_DoesNotLoopPeriodByPeriod) {
    FrameBeat beat;
    const auto b = beat.frame(1.0e9);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->missed, 1999999999u);
    EXPECT_GT(beat.accumulator(), 0.0);
    EXPECT_LE(beat.accumulator(), 0.5);
}

TEST(FrameBeat, MissedLine_OnlyWhenBeatsWereMissed) {
    EXPECT_EQ(VX3D::missedBeatsText(0), "");
    EXPECT_EQ(VX3D::missedBeatsText(2), "Missed 2 Events due to low update rate");
}

TEST(FrameRateText, WholeNumbers_CeilingOfRateAndFloorOfMilliseconds) {
    EXPECT_EQ(VX3D::frameRateText(1, 0), "2 FPS (500ms), 0 primitives");
    EXPECT_EQ(VX3D::frameRateText(7, 4294967295u), "14 FPS (71ms), 4294967295 primitives");
    // Large rates stay whole numbers, never exponent notation.
    EXPECT_EQ(VX3D::frameRateText(1000000, 5), "2000000 FPS (0ms), 5 primitives");
}

TEST(FrameRateText, NoFrames_ShowsInfiniteMilliseconds) {
    EXPECT_EQ(VX3D::frameRateText(0, 0), "0 FPS (infms), 0 primitives");
}

TEST(Projection, MatchesTheFixedPerspective) {
    const glm::mat4 p = VX3D::projectionMatrix(640, 480);
    const float t = std::tan(3.14159265358979f / 8.0f);
    EXPECT_NEAR(p[0][0], 1.0f / (t * (640.0f / 480.0f)), 1e-5f);
    EXPECT_NEAR(p[1][1], 1.0f / t, 1e-5f);
    EXPECT_NEAR(p[2][2], -(100.0f + 0.1f) / (100.0f - 0.1f), 1e-6f);
    EXPECT_FLOAT_EQ(p[2][3], -1.0f);
    EXPECT_NEAR(p[3][2], -(2.0f * 100.0f * 0.1f) / (100.0f - 0.1f), 1e-6f);
    EXPECT_FLOAT_EQ(p[0][1], 0.0f);
    EXPECT_FLOAT_EQ(p[3][3], 0.0f);
}
