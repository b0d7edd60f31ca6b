// The input manager without a window: codes, the order of callbacks, tokens and their holders,
// the invalid-token warning, the per-frame bits, mouse movement, and the picking ray against a
// known matrix. Every caller of the game (controller, debug keys, camera) relies on these.
#include "Manager/InputManager/InputManager.h"

#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

#include <stdexcept>
#include <string>
#include <vector>

using VX3D::InputManager;

namespace {

constexpr int press = InputManager::pressAction;
constexpr int release = InputManager::releaseAction;
constexpr int change = InputManager::changeAction;

std::string captureStdout(const std::function<void()>& body) {
    testing::internal::CaptureStdout();
    body();
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(InputManager, SecondInstance_IsRefusedWhileOneLives) {
    InputManager first(640, 480);
    EXPECT_EQ(InputManager::current(), &first);
    try {
        InputManager second(640, 480);
        FAIL() << "a second manager was made";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "only one instance of inputstate is allowed to exist");
    }
    EXPECT_EQ(InputManager::current(), &first);
}

TEST(InputManager, NewInstance_IsAllowedAfterTheFirstIsGone) {
    { InputManager first(640, 480); }
    EXPECT_EQ(InputManager::current(), nullptr);
    InputManager second(800, 600);
    EXPECT_EQ(InputManager::current(), &second);
    EXPECT_EQ(second.windowWidth(), 800);
    EXPECT_EQ(second.windowHeight(), 600);
}

TEST(InputManager, Press_RunsPressThenChangeCallbacksInRegistrationOrder) {
    InputManager input(640, 480);
    std::vector<std::string> calls;
    auto t1 = input.registerKeyAction(
        press, 82, [&] { calls.push_back("press1"); }, "p1");
    auto t2 = input.registerKeyAction(
        change, 82, [&] { calls.push_back("change"); }, "c");
    auto t3 = input.registerKeyAction(
        press, 82, [&] { calls.push_back("press2"); }, "p2");
    auto t4 = input.registerKeyAction(
        release, 82, [&] { calls.push_back("release"); }, "r");
    input.onKeyOrButton(82, 1);
    EXPECT_EQ(calls, (std::vector<std::string>{"press1", "press2", "change"}));
    calls.clear();
    input.onKeyOrButton(82, 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"release", "change"}));
}

TEST(InputManager, AnyActionOtherThanOne_IsARelease) {
    InputManager input(640, 480);
    int releases = 0;
    auto token = input.registerKeyAction(
        release, 65, [&] { ++releases; }, "r");
    input.onKeyOrButton(65, 2);
    input.onKeyOrButton(65, -1);
    EXPECT_EQ(releases, 2);
    EXPECT_TRUE(input.wasReleasedThisFrame(65));
    EXPECT_FALSE(input.wasPressedThisFrame(65));
}

TEST(InputManager, LeftMouseButtonAndKeyZero_ShareOneCode) {
    InputManager input(640, 480);
    std::vector<std::string> calls;
    auto select = input.registerKeyAction(
        press, 0, [&] { calls.push_back("Select Ant"); }, "Select Ant");
    auto moved = input.registerKeyAction(
        release, 0, [&] { calls.push_back("Move Selected Ant"); }, "Move Selected Ant");
    auto any = input.registerKeyAction(
        change, 0, [&] { calls.push_back("change"); }, "change");
    input.onKeyOrButton(0, 1);
    input.onKeyOrButton(0, 0);
    EXPECT_EQ(calls,
              (std::vector<std::string>{"Select Ant", "change", "Move Selected Ant", "change"}));
}

TEST(InputManager, CodeWithoutRegistrations_CallsNothingButSetsItsBit) {
    InputManager input(640, 480);
    int calls = 0;
    auto token = input.registerKeyAction(
        press, 76, [&] { ++calls; }, "L");
    input.onKeyOrButton(77, 1);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(input.wasPressedThisFrame(77));
    EXPECT_FALSE(input.wasPressedThisFrame(76));
}

TEST(InputManager, CodesOutsideTheSpace_RaiseTheSubscriptError) {
    InputManager input(640, 480);
    for (int code : {326, 1000, -1}) {
        try {
            input.onKeyOrButton(code, 1);
            FAIL() << code;
        } catch (const std::out_of_range& e) {
            EXPECT_STREQ(e.what(), "invalid vector<bool> subscript");
        }
        EXPECT_THROW(input.wasPressedThisFrame(code), std::out_of_range);
    }
    EXPECT_NO_THROW(input.onKeyOrButton(325, 1));
    EXPECT_TRUE(input.wasPressedThisFrame(325));
}

TEST(InputManager, WrongActionTypes_RaiseLogicErrors) {
    InputManager input(640, 480);
    try {
        input.registerKeyAction(
            3, 82, [] {}, "x");
        FAIL();
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "wrong kb action type");
    }
    auto token = input.registerKeyAction(
        press, 82, [] {}, "x");
    token->type = 7;
    try {
        input.unregisterKeyAction(token);
        FAIL();
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "wrong kb action type in unregister callback");
    }
    token->type = press;
    auto mouse = input.registerMouseMovement([](glm::ivec2) {}, "m");
    mouse->type = 2;
    try {
        input.unregisterMouseMovement(mouse);
        FAIL();
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "wrong mouse action type in unregister callback");
    }
}

TEST(InputManager, RemovingTheFirstOfTwo_LeavesTheSecondInPlace) {
    InputManager input(640, 480);
    std::vector<int> calls;
    auto first = input.registerKeyAction(
        press, 87, [&] { calls.push_back(1); }, "first");
    auto second = input.registerKeyAction(
        press, 87, [&] { calls.push_back(2); }, "second");
    auto third = input.registerKeyAction(
        press, 87, [&] { calls.push_back(3); }, "third");
    input.unregisterKeyAction(first);
    EXPECT_FALSE(first->valid);
    EXPECT_TRUE(second->valid);
    input.onKeyOrButton(87, 1);
    EXPECT_EQ(calls, (std::vector<int>{2, 3}));
    // The second's token still reaches its own entry after the first is gone.
    input.unregisterKeyAction(second);
    calls.clear();
    input.onKeyOrButton(87, 1);
    EXPECT_EQ(calls, (std::vector<int>{3}));
    EXPECT_EQ(input.keyActionDescriptions(press, 87), (std::vector<std::string>{"third"}));
}

TEST(InputManager, UnregisteringTwice_WarnsOnceAndChangesNothing) {
    InputManager input(640, 480);
    int calls = 0;
    auto kept = input.registerKeyAction(
        press, 81, [&] { ++calls; }, "kept");
    auto token = input.registerKeyAction(
        press, 81, [] {}, "gone");
    EXPECT_EQ(captureStdout([&] { input.unregisterKeyAction(token); }), "");
    EXPECT_EQ(captureStdout([&] { input.unregisterKeyAction(token); }),
              "WARNING: ignoring unregistering of invalid token\n");
    input.onKeyOrButton(81, 1);
    EXPECT_EQ(calls, 1);

    auto mouse = input.registerMouseMovement([](glm::ivec2) {}, "m");
    input.unregisterMouseMovement(mouse);
    EXPECT_EQ(captureStdout([&] { input.unregisterMouseMovement(mouse); }),
              "WARNING: ignoring unregistering of invalid token\n");
}

TEST(InputManager, TokenOfAnEarlierManager_IsTreatedAsInvalid) {
    std::shared_ptr<VX3D::CallbackKBToken> stale;
    {
        InputManager old(640, 480);
        stale = old.registerKeyAction(
            press, 82, [] {}, "old");
    }
    InputManager input(640, 480);
    EXPECT_EQ(captureStdout([&] { input.unregisterKeyAction(stale); }),
              "WARNING: ignoring unregistering of invalid token\n");
}

TEST(InputManager, CallbackWithdrawingItself_DoesNotDisturbTheDispatch) {
    InputManager input(640, 480);
    std::vector<int> calls;
    std::shared_ptr<VX3D::CallbackKBToken> self;
    std::shared_ptr<VX3D::CallbackKBToken> next;
    self = input.registerKeyAction(
        press, 9,
        [&] {
            calls.push_back(1);
            input.unregisterKeyAction(self);
            input.unregisterKeyAction(next);
        },
        "self");
    next = input.registerKeyAction(
        press, 9, [&] { calls.push_back(2); }, "next");
    auto last = input.registerKeyAction(
        press, 9, [&] { calls.push_back(3); }, "last");
    input.onKeyOrButton(9, 1);
    EXPECT_EQ(calls, (std::vector<int>{1, 3}));
    calls.clear();
    input.onKeyOrButton(9, 1);
    EXPECT_EQ(calls, (std::vector<int>{3}));
}

TEST(InputManager, Holder_WithdrawsItsRegistrationWhenDestroyed) {
    InputManager input(640, 480);
    int calls = 0;
    {
        VX3D::KeyActionRegistration holder(&input, input.registerKeyAction(
                                                       press, 75, [&] { ++calls; }, "K"));
        input.onKeyOrButton(75, 1);
        VX3D::KeyActionRegistration moved = std::move(holder);
        input.onKeyOrButton(75, 1);
    }
    input.onKeyOrButton(75, 1);
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(input.keyActionDescriptions(press, 75).empty());

    int moves = 0;
    {
        VX3D::MouseMovementRegistration holder(
            &input, input.registerMouseMovement([&](glm::ivec2) { ++moves; }, "m"));
        input.onMousePosition(1, 1);
    }
    input.onMousePosition(2, 2);
    EXPECT_EQ(moves, 1);
}

TEST(InputManager, HolderOutlivingItsManager_DoesNothing) {
    VX3D::KeyActionRegistration holder;
    {
        auto input = std::make_unique<InputManager>(640, 480);
        holder = VX3D::KeyActionRegistration(input.get(), input->registerKeyAction(
                                                              press, 1, [] {}, "x"));
    }
    InputManager next(640, 480);
    EXPECT_EQ(captureStdout([&] { holder.reset(); }), "");
}

TEST(InputManager, FrameBits_HoldBothPressAndReleaseUntilReset) {
    InputManager input(640, 480);
    input.onKeyOrButton(82, 1);
    input.onKeyOrButton(82, 0);
    EXPECT_TRUE(input.wasPressedThisFrame(82));
    EXPECT_TRUE(input.wasReleasedThisFrame(82));
    input.resetFrame();
    EXPECT_FALSE(input.wasPressedThisFrame(82));
    EXPECT_FALSE(input.wasReleasedThisFrame(82));
}

TEST(InputManager, MouseMovement_SumsPerFrameAndDispatchesAbsoluteThenRelative) {
    InputManager input(640, 480);
    std::vector<glm::ivec2> relative;
    auto token = input.registerMouseMovement([&](glm::ivec2 d) { relative.push_back(d); }, "Move");
    input.onMousePosition(100, 50);
    input.onMousePosition(110, 45);
    EXPECT_EQ(input.currentMouse(), glm::ivec2(110, 45));
    EXPECT_EQ(input.previousMouse(), glm::ivec2(100, 50));
    EXPECT_EQ(input.frameMouseMovement(), glm::ivec2(110, 45));
    ASSERT_EQ(relative.size(), 2u);
    EXPECT_EQ(relative[0], glm::ivec2(100, 50));
    EXPECT_EQ(relative[1], glm::ivec2(10, -5));
    EXPECT_EQ(input.mouseMovementDescriptions(InputManager::relativeMovement),
              (std::vector<std::string>{"Move"}));
}

TEST(InputManager, FirstMovementAfterReset_IsMeasuredFromTheLastPosition) {
    InputManager input(640, 480);
    input.onMousePosition(200, 200);
    input.resetFrame();
    EXPECT_EQ(input.frameMouseMovement(), glm::ivec2(0, 0));
    EXPECT_EQ(input.previousMouse(), glm::ivec2(200, 200));
    std::vector<glm::ivec2> relative;
    auto token = input.registerMouseMovement([&](glm::ivec2 d) { relative.push_back(d); }, "m");
    input.onMousePosition(203, 190);
    ASSERT_EQ(relative.size(), 1u);
    EXPECT_EQ(relative[0], glm::ivec2(3, -10));
    EXPECT_EQ(input.frameMouseMovement(), glm::ivec2(3, -10));
}

// The projection and view of a camera at (0, 10, 10) looking at the origin: the cursor at the
// window's centre must see the origin, and the ground hit must be the point under the cursor.
class Picking : public testing::Test {
protected:
    glm::mat4 projection = glm::perspective(glm::radians(45.0f), 640.0f / 480.0f, 0.1f, 100.0f);
    glm::mat4 view = glm::lookAt(glm::vec3(0, 10, 10), glm::vec3(0, 0, 0), glm::vec3(0, 1, 0));
    glm::mat4 viewProjection = projection * view;
    InputManager input{640, 480};
};

TEST_F(Picking, CentreOfTheWindow_RayRunsFromTheNearPlaneThroughTheTarget) {
    input.onMousePosition(320, 240);
    const VX3D::ScreenRay ray = input.screenRay(viewProjection);
    // The near point of NDC depth 0 lies on the line of sight, between the eye and the target.
    const glm::vec3 towardsTarget = glm::normalize(glm::vec3(0, -10, -10));
    EXPECT_NEAR(ray.direction.x, towardsTarget.x, 1e-5f);
    EXPECT_NEAR(ray.direction.y, towardsTarget.y, 1e-4f);
    EXPECT_NEAR(ray.direction.z, towardsTarget.z, 1e-4f);
    EXPECT_FLOAT_EQ(ray.direction.w, 0.0f);
    EXPECT_FLOAT_EQ(ray.origin.w, 1.0f);
    EXPECT_NEAR(glm::length(ray.direction), 1.0f, 1e-6f);
    // Depth 0 in clip space is where z_ndc = 0: eye distance 2nf/(f+n) = 0.1998.
    const float nearDistance = 2.0f * 100.0f * 0.1f / (100.0f + 0.1f);
    EXPECT_NEAR(glm::distance(glm::vec3(ray.origin), glm::vec3(0, 10, 10)), nearDistance, 1e-3f);
    EXPECT_NEAR(ray.length, 100.0f - nearDistance, 0.05f);
}

TEST_F(Picking, GroundPlane_HitUnderTheCentreIsTheOrigin) {
    input.onMousePosition(320, 240);
    const glm::vec4 hit =
        input.intersectPlane(viewProjection, {0, 0, 0, 1}, {1, 0, 0, 1}, {0, 0, -1, 1});
    EXPECT_NEAR(hit.x, 0.0f, 1e-3f);
    EXPECT_NEAR(hit.y, 0.0f, 1e-3f);
    EXPECT_NEAR(hit.z, 0.0f, 1e-3f);
    EXPECT_FLOAT_EQ(hit.w, 1.0f);
}

TEST_F(Picking, GroundPlane_HitProjectsBackToTheCursor) {
    // y downwards in the window: a cursor near the bottom looks at ground nearer the camera.
    input.onMousePosition(500, 400);
    const glm::vec4 hit =
        input.intersectPlane(viewProjection, {0, 0, 0, 1}, {1, 0, 0, 1}, {0, 0, -1, 1});
    EXPECT_NEAR(hit.y, 0.0f, 1e-3f);
    EXPECT_GT(hit.x, 0.0f);
    EXPECT_GT(hit.z, 0.0f);
    glm::vec4 clip = viewProjection * hit;
    clip /= clip.w;
    EXPECT_NEAR((clip.x + 1.0f) * 320.0f, 500.0f, 0.05f);
    EXPECT_NEAR(480.0f - (clip.y + 1.0f) * 240.0f, 400.0f, 0.05f);
}

TEST_F(Picking, KnownMatrix_RayMatchesTheHandComputedInverse) {
    // A pure scale and translation: NDC (u, v, z) = (x / 2, y / 4, z / 10 - 1), so the inverse
    // is easy to write down. Cursor (480, 120) gives u = 0.5, v = 0.5.
    glm::mat4 m(1.0f);
    m[0][0] = 0.5f;
    m[1][1] = 0.25f;
    m[2][2] = 0.1f;
    m[3][2] = -1.0f;
    input.onMousePosition(480, 120);
    const VX3D::ScreenRay ray = input.screenRay(m);
    EXPECT_NEAR(ray.origin.x, 1.0f, 1e-6f);
    EXPECT_NEAR(ray.origin.y, 2.0f, 1e-6f);
    EXPECT_NEAR(ray.origin.z, 10.0f, 1e-5f);
    EXPECT_NEAR(ray.direction.z, 1.0f, 1e-6f);
    EXPECT_NEAR(ray.length, 10.0f, 1e-5f);
}
