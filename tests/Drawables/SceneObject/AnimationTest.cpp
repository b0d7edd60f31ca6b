// Clip playback: key lookup (one key, exact keys, blending, past the end), the clip
// offsets on the file's time line, the end of a non-looping clip and the restart
// of a looping one; and the same through a model file with a matrix animation.
#include "Drawables/SceneObject/SceneObject.h"
#include "TestModels.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

using GLutil::drawableObjects::AnimationChannel;
using GLutil::drawableObjects::SceneObject;
using GLutil::drawableObjects::SceneObjectOpt;
using namespace SceneObjectTest;

namespace {

glm::vec3 translationOf(const glm::mat4& m) {
    return glm::vec3(m[3]);
}

AnimationChannel rampX() {
    // Clip 1 spans 7/3 .. 13/3 on the time line; x runs 0 -> 4 across it.
    AnimationChannel c;
    c.translations = {{7.0 / 3.0, {0, 0, 0}}, {13.0 / 3.0, {4, 0, 0}}};
    return c;
}

}  // namespace

TEST(AnimationKeys, OneKey_SameAtEveryTime) {
    const std::map<double, glm::vec3> keys{{1.5, {1, 2, 3}}};
    for (double t : {-5.0, 0.0, 1.5, 2.0, 100.0})
        EXPECT_EQ(GLutil::drawableObjects::sampleKeys(keys, t, {}), glm::vec3(1, 2, 3));
}

TEST(AnimationKeys, BetweenKeys_Blended_ExactKeyAndEndsClamp) {
    const std::map<double, glm::vec3> keys{{0.0, {0, 0, 0}}, {1.0, {2, 0, 0}}, {3.0, {2, 4, 0}}};
    using GLutil::drawableObjects::sampleKeys;
    EXPECT_EQ(sampleKeys(keys, 0.25, {}), glm::vec3(0.5f, 0, 0));
    EXPECT_EQ(sampleKeys(keys, 1.0, {}), glm::vec3(2, 0, 0));
    EXPECT_EQ(sampleKeys(keys, 2.0, {}), glm::vec3(2, 2, 0));
    EXPECT_EQ(sampleKeys(keys, 7.0, {}), glm::vec3(2, 4, 0));
    EXPECT_EQ(sampleKeys(keys, -1.0, {}), glm::vec3(0, 0, 0));
    EXPECT_EQ(sampleKeys(std::map<double, glm::vec3>{}, 1.0, glm::vec3(1)), glm::vec3(1));
}

TEST(AnimationKeys, Rotation_SphericalHalfway) {
    const std::map<double, glm::quat> keys{
        {0.0, glm::angleAxis(0.0f, glm::vec3(0, 1, 0))},
        {2.0, glm::angleAxis(glm::radians(90.0f), glm::vec3(0, 1, 0))}};
    const glm::quat q = GLutil::drawableObjects::sampleKeys(keys, 1.0);
    EXPECT_NEAR(glm::degrees(glm::angle(q)), 45.0f, 1e-3f);
    EXPECT_NEAR(glm::length(q), 1.0f, 1e-6f);
}

TEST(AnimationChannel, TransformIsScaleTimesTranslationTimesRotation) {
    AnimationChannel c;
    c.translations = {{0.0, {1, 0, 0}}};
    c.rotations = {{0.0, glm::angleAxis(glm::radians(90.0f), glm::vec3(0, 0, 1))}};
    c.scalings = {{0.0, {2, 2, 2}}};
    const glm::vec4 p = c.sample(0.0) * glm::vec4(1, 0, 0, 1);
    // rotate (1,0,0) to (0,1,0), translate to (1,1,0), scale to (2,2,0)
    EXPECT_NEAR(p.x, 2.0f, 1e-5f);
    EXPECT_NEAR(p.y, 2.0f, 1e-5f);
}

TEST(AnimationChannel, ClipTimeMapsOntoItsSliceOfTheTimeLine) {
    AnimationChannel c = rampX();
    c.clip = 1;
    c.duration = 1.0;  // two units per second
    c.startTime = 10.0;
    c.playing = true;
    EXPECT_NEAR(translationOf(c.transformAt(10.0)).x, 0.0f, 1e-5f);
    EXPECT_NEAR(translationOf(c.transformAt(10.25)).x, 1.0f, 1e-5f);
    EXPECT_NEAR(translationOf(c.transformAt(10.5)).x, 2.0f, 1e-5f);
    EXPECT_TRUE(c.playing);
}

TEST(AnimationChannel, NonLoopingClip_EndsAtTwoThenStops) {
    AnimationChannel c = rampX();
    c.clip = 1;
    c.duration = 1.0;
    c.startTime = 10.0;
    c.playing = true;
    c.looping = false;
    // The frame that passes the end still shows the last pose...
    EXPECT_NEAR(translationOf(c.transformAt(11.2)).x, 4.0f, 1e-5f);
    // ...and the clip is over.
    EXPECT_FALSE(c.playing);
    EXPECT_DOUBLE_EQ(c.startTime, 10.0);
}

TEST(AnimationChannel, LoopingClip_RestartsPastItsEnd) {
    AnimationChannel c = rampX();
    c.clip = 1;
    c.duration = 1.0;
    c.startTime = 10.0;
    c.playing = true;
    c.looping = true;
    EXPECT_NEAR(translationOf(c.transformAt(11.2)).x, 0.0f, 1e-5f);
    EXPECT_TRUE(c.playing);
    EXPECT_DOUBLE_EQ(c.startTime, 11.2);
    EXPECT_NEAR(translationOf(c.transformAt(11.45)).x, 1.0f, 1e-4f);
}

TEST(AnimationChannel, ZeroDuration_EndsAtOnce) {
    AnimationChannel c = rampX();
    c.clip = 1;
    c.duration = 0.0;
    c.startTime = 3.0;
    c.playing = true;
    EXPECT_NEAR(translationOf(c.transformAt(3.0)).x, 4.0f, 1e-5f);
    EXPECT_FALSE(c.playing);
}

TEST(AnimationFile, KeysInFileUnitsAndClipsControlledOnEveryNode) {
    // Body: x 0 -> 4 over clip 1 (7/3 .. 13/3). Arm: a single key.
    const std::string body =
        matrixAnimation("Body", "2.333333333 4.333333333",
                        "1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1  1 0 0 4 0 1 0 0 0 0 1 0 0 0 0 1", 2);
    const std::string arm = matrixAnimation("Arm", "0", "1 0 0 0 0 1 0 5 0 0 1 0 0 0 0 1", 1);
    const std::string text = document(
        triangleGeometry("Body-mesh", "0 0 0", "1 0 0", "0 1 0") +
            triangleGeometry("Arm-mesh", "0 0 0", "0 0 1", "1 0 0"),
        node("Body", "Body-mesh", node("Arm", "Arm-mesh") + node("Still", "")), body + arm);
    testing::internal::CaptureStdout();
    SceneObject model(SceneObjectOpt{writeScratch("anim.DAE", text), glm::mat4(1.0f)});
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(model.channels.size(), 1u);
    ASSERT_EQ(model.children.size(), 2u);
    const auto& keys = model.channels[0].translations;
    ASSERT_GE(keys.size(), 2u);
    EXPECT_NEAR(keys.begin()->first, 7.0 / 3.0, 1e-5);
    EXPECT_NEAR(keys.rbegin()->first, 13.0 / 3.0, 1e-5);
    EXPECT_TRUE(model.children[1].channels.empty());

    VX3D::FrameClock clock(20.0);
    EXPECT_FALSE(model.isAnimating());
    model.startAnimation(1, 1.0, clock, true);
    EXPECT_TRUE(model.isAnimating());
    for (const SceneObject* n : {&model, &model.children[0]}) {
        const auto& ch = n->channels.front();
        EXPECT_TRUE(ch.playing);
        EXPECT_TRUE(ch.looping);
        EXPECT_EQ(ch.clip, 1);
        EXPECT_DOUBLE_EQ(ch.startTime, 20.0);
        EXPECT_DOUBLE_EQ(ch.duration, 1.0);
    }
    EXPECT_NEAR(model.channels[0].transformAt(20.25)[3][0], 1.0f, 1e-4f);
    EXPECT_NEAR(model.children[0].channels[0].transformAt(20.25)[3][1], 5.0f,
                1e-5f);  // one key: always that key

    model.stopLooping();
    EXPECT_FALSE(model.channels[0].looping);
    EXPECT_FALSE(model.children[0].channels[0].looping);
    model.channels[0].transformAt(21.5);
    model.children[0].channels[0].transformAt(21.5);
    EXPECT_FALSE(model.isAnimating());
}
