// The camera without a context: the follow mode's limits (nearest distance, highest
// elevation, lowest eye), watching a moving target without input, the inversion settings,
// and the right-button drag's one degree per pixel.
#include "Game/Camera.h"
#include "Veltrix3D/RenderState.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

using VX3D::Camera;
using VX3D::FrameClock;

constexpr double frame = 1.0 / 60.0;

Camera::KeyDown holding(std::set<int> keys) {
    return [keys](int code) { return keys.count(code) > 0; };
}

const Camera::KeyDown nothing = holding({});

// A camera following target from eye, as a player view sets it up.
Camera following(const glm::vec3& eye, const glm::vec3& target) {
    Camera camera;
    camera.placeAt(eye);
    camera.target = target;
    camera.following = true;
    return camera;
}

float elevation(const Camera& c) {
    const glm::vec3 v = glm::vec3(c.eye) - c.target;
    return glm::degrees(std::asin(v.y / glm::length(v)));
}

// Heading of the eye around the target, degrees.
float heading(const Camera& c) {
    const glm::vec3 v = glm::vec3(c.eye) - c.target;
    return glm::degrees(std::atan2(v.x, v.z));
}

// The target lies straight ahead in the view.
void expectLooksAt(const Camera& c, const glm::vec3& point) {
    const glm::vec4 seen = c.view * glm::vec4(point, 1.0f);
    EXPECT_NEAR(seen.x / -seen.z, 0.0f, 1e-4f);
    EXPECT_NEAR(seen.y / -seen.z, 0.0f, 1e-4f);
    EXPECT_LT(seen.z, 0.0f);
}

class CameraTest : public testing::Test {
protected:
    void TearDown() override {
        VX3D::RenderState::invertCameraHorizontal = false;
        VX3D::RenderState::invertCameraVertical = false;
    }
    // Runs frames of 1/60 s with the same input.
    static void run(Camera& c, int frames, const Camera::KeyDown& keys, glm::ivec2 mouse = {0, 0},
                    bool right = false) {
        FrameClock clock(100.0);
        for (int i = 0; i < frames; ++i) {
            clock.update(clock.current + frame);
            c.handleInput(clock, mouse, keys, right);
        }
    }
};

TEST_F(CameraTest, Construction_EyeOnTheHeightFloor) {
    const Camera c;
    EXPECT_EQ(c.eye, glm::vec4(0.0f, 0.42f, 0.0f, 1.0f));
    EXPECT_FALSE(c.following);
    EXPECT_EQ(c.pitch, 5.0f);
    EXPECT_EQ(c.view, c.rotation * c.translation);
}

TEST_F(CameraTest, HoldingW_StopsAtDistanceOne_StillLookingAtTheTarget) {
    const glm::vec3 target(5.25f, 0.4f, -5.5f);
    Camera c = following({-0.75f, 4.0f, -5.5f}, target);
    run(c, 30, holding({'W'}));  // half a second: 2 units nearer
    EXPECT_NEAR(glm::distance(glm::vec3(c.eye), target), std::hypot(6.0f, 3.6f) - 2.0f, 0.02f);
    run(c, 300, holding({'W'}));
    EXPECT_NEAR(glm::distance(glm::vec3(c.eye), target), 1.0f, 1e-4f);
    expectLooksAt(c, target);
    run(c, 30, holding({'S'}));
    EXPECT_NEAR(glm::distance(glm::vec3(c.eye), target), 3.0f, 0.02f);
}

TEST_F(CameraTest, HoldingSpace_RaisesTheEyeTo89DegreesAndNoFurther) {
    const glm::vec3 target(10.0f, 0.4f, -6.0f);
    Camera c = following({4.0f, 4.0f, -6.0f}, target);
    const float start = elevation(c);
    run(c, 30, holding({' '}));  // 16 degrees in half a second
    EXPECT_NEAR(elevation(c), start + 16.0f, 0.05f);
    FrameClock clock(0.0);
    for (int i = 0; i < 300; ++i) {
        clock.update(clock.current + frame);
        c.handleInput(clock, {0, 0}, holding({' '}), false);
        ASSERT_LE(elevation(c), 89.0f + 1e-3f) << "frame " << i;
    }
    EXPECT_NEAR(elevation(c), 89.0f, 1e-2f);
    expectLooksAt(c, target);
}

// With the eye on its target a turn has no axis: it is dropped, not saved up to jump the eye
// once the target moves off.
TEST_F(CameraTest, EyeOnTheTarget_DropsTheTurnItCannotMake) {
    Camera c = following({3.0f, 1.0f, -2.0f}, {3.0f, 1.0f, -2.0f});
    run(c, 10, holding({' ', 'A'}));
    EXPECT_EQ(c.followPitch, 0.0f);
    EXPECT_EQ(c.followYaw, 0.0f);
}

TEST_F(CameraTest, NoInput_StillAimsAtAMovingTarget) {
    glm::vec3 target(2.0f, 0.4f, -5.5f);
    Camera c = following({-4.0f, 4.0f, -5.5f}, target);
    run(c, 1, nothing);
    const glm::vec4 eye = c.eye;
    FrameClock clock(0.0);
    for (int i = 0; i < 60; ++i) {
        target += glm::vec3(0.05f, 0.0f, -0.02f);
        c.target = target;
        clock.update(clock.current + frame);
        c.handleInput(clock, {0, 0}, nothing, false);
    }
    // The eye keeps its place and turns to watch the target walk away.
    EXPECT_NEAR(glm::distance(c.eye, eye), 0.0f, 1e-3f);
    expectLooksAt(c, target);
}

TEST_F(CameraTest, EyeNeverBelowTheHeightFloor) {
    // A target on the ground: lowering the eye as far as it goes would put it at y = 0.
    const glm::vec3 target(6.0f, 0.0f, -3.0f);
    Camera c = following({2.0f, 1.5f, -3.0f}, target);
    FrameClock clock(0.0);
    for (int i = 0; i < 240; ++i) {
        clock.update(clock.current + frame);
        c.handleInput(clock, {0, 25}, holding({287, 'S'}), true);
        ASSERT_GE(c.eye.y, 0.42f) << "frame " << i;
        ASSERT_FALSE(std::isnan(c.view[3][0]));
    }
    EXPECT_EQ(c.eye.y, 0.42f);
    c.placeAt({1.0f, -3.0f, 1.0f});
    EXPECT_EQ(c.eye.y, 0.42f);
    EXPECT_NEAR((c.view * glm::vec4(1.0f, 0.42f, 1.0f, 1.0f)).z, 0.0f, 1e-5f)
        << "the view sits at the lifted eye";
}

TEST_F(CameraTest, Inversions_TurnTheOtherWay) {
    const glm::vec3 target(10.0f, 0.4f, -6.0f);
    const glm::vec3 eye(4.0f, 4.0f, -6.0f);
    struct Turn {
        Camera::KeyDown keys;
        glm::ivec2 mouse;
    };
    const Turn horizontalTurns[] = {
        {holding({'A'}), {0, 0}}, {holding({'D'}), {0, 0}}, {nothing, {7, 0}}};
    for (const Turn& turn : horizontalTurns) {
        float change[2];
        for (int inverted = 0; inverted < 2; ++inverted) {
            VX3D::RenderState::invertCameraHorizontal = inverted == 1;
            Camera c = following(eye, target);
            const float before = heading(c);
            run(c, 10, turn.keys, turn.mouse, true);
            change[inverted] = heading(c) - before;
        }
        EXPECT_GT(std::abs(change[0]), 1.0f);
        EXPECT_NEAR(change[1], -change[0], 1e-2f);
    }
    VX3D::RenderState::invertCameraHorizontal = false;
    const Turn verticalTurns[] = {
        {holding({' '}), {0, 0}}, {holding({287}), {0, 0}}, {nothing, {0, -1}}};
    for (const Turn& turn : verticalTurns) {
        float change[2];
        for (int inverted = 0; inverted < 2; ++inverted) {
            VX3D::RenderState::invertCameraVertical = inverted == 1;
            Camera c = following(eye, target);
            const float before = elevation(c);
            run(c, 10, turn.keys, turn.mouse, true);
            change[inverted] = elevation(c) - before;
        }
        EXPECT_GT(std::abs(change[0]), 1.0f);
        EXPECT_NEAR(change[1], -change[0], 1e-2f);
    }
}

TEST_F(CameraTest, RightButtonDrag_OnePixelTurnsOneDegree) {
    const glm::vec3 target(10.0f, 0.4f, -6.0f);
    Camera c = following({4.0f, 4.0f, -6.0f}, target);
    run(c, 1, nothing);
    const float startHeading = heading(c), startElevation = elevation(c);
    run(c, 1, nothing, {1, 0}, true);
    EXPECT_NEAR(std::abs(heading(c) - startHeading), 1.0f, 1e-3f);
    EXPECT_NEAR(elevation(c), startElevation, 1e-3f);
    run(c, 1, nothing, {0, -1}, true);  // cursor up raises the eye
    EXPECT_NEAR(elevation(c), startElevation + 1.0f, 1e-3f);
    const glm::vec4 eye = c.eye;
    run(c, 1, nothing, {40, 40}, false);  // without the button the mouse does nothing
    EXPECT_NEAR(glm::distance(eye, c.eye), 0.0f, 1e-4f);
}

}  // namespace
