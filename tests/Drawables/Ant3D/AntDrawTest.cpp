// The ant against a real context: it draws where it stands (lit and solid), its energy bar
// shows above the head only for ants the viewer may see, an ant behind the camera is culled,
// and the pick box lies around the model, is hit as a box and moves its markers with the ant.
#include "Drawables/Ant3D/Ant.h"
#include "Drawables/Sun/Sun.h"
#include "Drawables/ViewVolume/ViewVolume.h"
#include "GLTestContext.h"
#include "Game/GameFlags.h"
#include "Veltrix3D/RenderState.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

using namespace VX3D;

namespace {

constexpr int kSize = 256;
const glm::vec4 red(1, 0, 0, 1), blue(0, 0, 1, 1);

class AntDraw : public testing::Test {
protected:
    static void SetUpTestSuite() {
        // Kept until exit: the cube and status bar programs live that long.
        static std::unique_ptr<VX3DTest::GLTestContext> context;
        if (!context) context = std::make_unique<VX3DTest::GLTestContext>(kSize, kSize);
        std::filesystem::current_path(VX_GAME_DIR);
        testing::internal::CaptureStdout();
        sun = std::make_unique<Sun>(10);
        testing::internal::GetCapturedStdout();
    }
    static void TearDownTestSuite() { sun.reset(); }

    void SetUp() override {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CW);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glPatchParameteri(GL_PATCH_VERTICES, 3);
        glViewport(0, 0, kSize, kSize);
        RenderState::frustumCulling = true;
        clear();
    }
    void TearDown() override {
        RenderState::cheatView = false;
        GameFlags::enemyUncovered = false;
    }

    static void clear() {
        glClearColor(0.25f, 0.3f, 0.35f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    static std::unique_ptr<Ant> quietAnt(Veltrix::Position cell, int facing,
                                         const glm::vec4& colour, int player) {
        testing::internal::CaptureStdout();
        auto ant = std::make_unique<Ant>(cell, facing, colour, nullptr, 40, player);
        testing::internal::GetCapturedStdout();
        return ant;
    }

    // Looks at the ant from 1.5 to its side (+z), a little above.
    void aimAt(const Ant& ant) {
        target = ant.position + glm::vec3(0.0f, 0.2f, 0.0f);
        eye = ant.position + glm::vec3(0.0f, 0.6f, 1.5f);
        view = glm::lookAt(eye, target, glm::vec3(0, 1, 0));
        projection = glm::perspective(glm::radians(45.0f), 1.0f, 0.1f, 100.0f);
        extractPlanes(projection * view);
    }
    void draw(Ant& ant) {
        FrameClock clock(0.0);
        ant.draw(projection * view, eye, *sun, clock, nullptr, projection, view);
    }
    glm::ivec2 pixelOf(const glm::vec3& world) const {
        const glm::vec4 clip = projection * view * glm::vec4(world, 1.0f);
        const glm::vec2 ndc = glm::vec2(clip) / clip.w;
        return glm::ivec2((ndc * 0.5f + 0.5f) * float(kSize));
    }
    // Pixels within `radius` of p that differ from the clear colour.
    static int changedAround(const std::vector<unsigned char>& rgba, glm::ivec2 p, int radius) {
        int n = 0;
        for (int y = std::max(0, p.y - radius); y < std::min(kSize, p.y + radius); ++y)
            for (int x = std::max(0, p.x - radius); x < std::min(kSize, p.x + radius); ++x) {
                const unsigned char* c = &rgba[(static_cast<std::size_t>(y) * kSize + x) * 4];
                n += (std::abs(c[0] - 64) + std::abs(c[1] - 77) + std::abs(c[2] - 89) > 6) ? 1 : 0;
            }
        return n;
    }
    static std::array<int, 3> pixel(const std::vector<unsigned char>& rgba, glm::ivec2 p) {
        const unsigned char* c = &rgba[(static_cast<std::size_t>(p.y) * kSize + p.x) * 4];
        return {c[0], c[1], c[2]};
    }

    static inline std::unique_ptr<Sun> sun;
    glm::vec3 eye{0.0f}, target{0.0f};
    glm::mat4 view{1.0f}, projection{1.0f};
};

}  // namespace

TEST_F(AntDraw, LitAndSolidCoverItsPlace_EnergyBarOnlyForShownAnts) {
    auto ant = quietAnt({2, 2}, +1, red, 0);
    aimAt(*ant);
    draw(*ant);
    EXPECT_TRUE(ant->drawnLastFrame());
    auto frame = VX3DTest::readPixels(0, 0, kSize, kSize);
    if (const char* dir = std::getenv("VX_ANT_PNG_DIR"))
        VX3DTest::writePng(std::string(dir) + "/ant-draw.png", frame, kSize, kSize);
    const glm::ivec2 body = pixelOf(ant->position + glm::vec3(0, 0.06f, 0));
    EXPECT_GT(changedAround(frame, body, 12), 150);
    // A full bar is green over the head.
    const auto bar = pixel(frame, pixelOf(glm::vec3(ant->modelMatrix * glm::vec4(0, 0.68f, 0, 1))));
    EXPECT_GT(bar[1], 150);
    EXPECT_LT(bar[0], 80);

    clear();
    FrameClock clock(0.0);
    ant->drawSolid(projection * view, clock);
    frame = VX3DTest::readPixels(0, 0, kSize, kSize);
    int solidRed = 0;
    for (int y = body.y - 12; y < body.y + 12; ++y)
        for (int x = body.x - 12; x < body.x + 12; ++x)
            solidRed += pixel(frame, {x, y}) == std::array<int, 3>{255, 0, 0};
    EXPECT_GT(solidRed, 150);

    // The enemy's bar stays hidden until the cheat view or the uncovered enemy shows it.
    auto enemy = quietAnt({2, 2}, +1, blue, 1);
    const glm::ivec2 enemyBar = pixelOf(glm::vec3(enemy->modelMatrix * glm::vec4(0, 0.68f, 0, 1)));
    clear();
    draw(*enemy);
    EXPECT_EQ(changedAround(VX3DTest::readPixels(0, 0, kSize, kSize), enemyBar, 3), 0);
    EXPECT_GT(changedAround(VX3DTest::readPixels(0, 0, kSize, kSize), body, 12), 150);
    GameFlags::enemyUncovered = true;
    clear();
    draw(*enemy);
    EXPECT_GT(pixel(VX3DTest::readPixels(0, 0, kSize, kSize), enemyBar)[1], 150);
}

TEST_F(AntDraw, BehindTheCamera_CulledAndNothingDrawn) {
    auto ant = quietAnt({2, 2}, +1, red, 0);
    aimAt(*ant);
    // Turn round: the ant is now 1.5 behind the eye.
    view = glm::lookAt(eye, eye + (eye - target), glm::vec3(0, 1, 0));
    extractPlanes(projection * view);
    draw(*ant);
    EXPECT_FALSE(ant->drawnLastFrame());
    EXPECT_EQ(
        changedAround(VX3DTest::readPixels(0, 0, kSize, kSize), {kSize / 2, kSize / 2}, kSize), 0);
}

TEST_F(AntDraw, PickBoxAroundModel_HitAndMiss_MarkersFollowTheAnt) {
    auto ant = quietAnt({2, 2}, +1, red, 0);
    const auto [lo, hi] = ant->pickBox();
    const glm::vec3 low = glm::min(lo, hi), high = glm::max(lo, hi), size = high - low;
    // The ant stands inside its box, which has the model's size (a fifth of a cell and more).
    EXPECT_LT(low.x, ant->position.x);
    EXPECT_GT(high.x, ant->position.x);
    EXPECT_LT(low.z, ant->position.z);
    EXPECT_GT(high.z, ant->position.z);
    EXPECT_NEAR(low.y, 0.0f, 0.02f);
    EXPECT_GT(size.x, 0.2f);
    EXPECT_LT(size.x, 1.0f);
    EXPECT_GT(size.y, 0.05f);
    EXPECT_LT(size.y, 0.5f);

    const glm::vec3 middle = (low + high) * 0.5f;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(ant->hitTest(glm::vec4(middle - glm::vec3(5, 0, 0), 1), glm::vec4(1, 0, 0, 0)));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("FOUND NEAREST HIT AT: fvec4("), std::string::npos) << out;
    EXPECT_NE(out.find(", 1.000000) in Distance 0.00"), std::string::npos) << out;
    ASSERT_EQ(ant->pickMarkers().size(), 2u);
    EXPECT_EQ(ant->pickMarkers()[0], lo);
    EXPECT_EQ(ant->pickMarkers()[1], hi);
    EXPECT_FALSE(
        ant->hitTest(glm::vec4(middle + glm::vec3(-5, 0, size.z), 1), glm::vec4(1, 0, 0, 0)));
    testing::internal::CaptureStdout();
    EXPECT_TRUE(ant->hitTest(glm::vec4(middle + glm::vec3(5, 0, 0), 1), glm::vec4(1, 0, 0, 0)));
    testing::internal::GetCapturedStdout();

    // A move clears the markers; the next test puts them round the ant's new place.
    FrameClock clock(0.0);
    testing::internal::CaptureStdout();
    ant->startMove({3, 2}, clock, false, false, nullptr, {}, 2.6f);
    EXPECT_TRUE(ant->pickMarkers().empty());
    clock.update(2.0);
    ant->update(clock);
    ant->hitTest(glm::vec4(0, 0, 0, 1), glm::vec4(0, 1, 0, 0));
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(ant->pickMarkers().size(), 2u);
    EXPECT_NEAR(ant->pickMarkers()[0].x - lo.x, 1.0f, 1e-4f);
    EXPECT_NEAR(ant->pickMarkers()[1].x - hi.x, 1.0f, 1e-4f);
}
