// The frame's render sequence against a real context, with a stand-in controller that fills
// the scene's outputs directly: the window shows the scene darkened by its shadow mask, the
// shadow map is the controller's during the frame only, the glow and its program come with the
// first selection, and wireframe mode leaves the full-screen passes filled. Runs in the game's
// working directory, where the shaders are.
#include "Veltrix3D/RenderFrame.h"

#include "GLTestContext.h"
#include "PassTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace fs = std::filesystem;
using VX3DTest::Image;

namespace {

constexpr int size = 64;

// Fills draw buffer `buffer` of the bound frame buffer with a colour inside a rectangle.
void fill(int buffer, const float (&colour)[4], int x = 0, int y = 0, int w = size, int h = size) {
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, w, h);
    glClearBufferfv(GL_COLOR, buffer, colour);
    glDisable(GL_SCISSOR_TEST);
}

// What the frame asks of the game controller. The scene is green ground whose left half lies in
// shadow; the selected "ant" is a red square in the middle.
struct StandInController {
    bool gameOverShown = false;
    std::shared_ptr<int> selection;
    std::shared_ptr<GLutil::TextureHandle> shadowMap;

    std::shared_ptr<GLutil::TextureHandle> shadowMapInScene;
    GLint polygonModeInScene = 0;
    int shadowDraws = 0;
    float distance = 15.0f;

    void drawShadow(const VX3D::FrameClock&) { ++shadowDraws; }
    void drawScene(const VX3D::FrameClock&) {
        shadowMapInScene = shadowMap;
        GLint modes[2] = {0, 0};
        glGetIntegerv(GL_POLYGON_MODE, modes);
        polygonModeInScene = modes[0];
        fill(0, {0.0f, 0.8f, 0.0f, 1.0f});
        fill(1, {1.0f, 1.0f, 1.0f, 1.0f});
        fill(1, {0.0f, 0.0f, 0.0f, 1.0f}, 0, 0, size / 2, size);
        fill(2, {0.5f, 1.0f, 0.5f, 1.0f});
    }
    VX3D::FogCover drawFog(const VX3D::FrameClock&) { return {}; }  // no fog at all
    float drawSelected(const VX3D::FrameClock&) {
        fill(0, {1.0f, 0.0f, 0.0f, 1.0f}, 24, 24, 16, 16);
        return distance;
    }
};

// Magenta marks any window pixel that the frame failed to draw.
Image renderToWindow(StandInController& game, GLutil::FBO& shadowTarget, GLutil::FBO& sceneTarget) {
    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    const VX3D::FrameClock clock(0.0);
    VX3D::renderSequence(game, clock, shadowTarget, sceneTarget, size, size);
    return Image(VX3DTest::readPixels(0, 0, size, size), size);
}

void savePicture(const Image& image, const std::string& name) {
    if (const char* dir = std::getenv("VX_TEST_PICTURES"))
        VX3DTest::writePng(std::string(dir) + "/" + name, image.pixels(), size, size);
}

}  // namespace

class RenderFrame : public testing::Test {
protected:
    static void SetUpTestSuite() {
        context = std::make_unique<VX3DTest::GLTestContext>(size, size);
        states = std::make_unique<VX3DTest::GameStates>();
        fs::current_path(VX_GAME_DIR);
    }
    // Context and states are kept until the process ends: the passes' programs and targets
    // live until then too.

    static std::unique_ptr<VX3DTest::GLTestContext> context;
    static std::unique_ptr<VX3DTest::GameStates> states;
};

std::unique_ptr<VX3DTest::GLTestContext> RenderFrame::context;
std::unique_ptr<VX3DTest::GameStates> RenderFrame::states;

TEST_F(RenderFrame, ComposesTheSceneShadowsAndGlowIntoTheWindow) {
    GLutil::FBO shadowTarget(300, 200, false);
    shadowTarget.attatchTexture(GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, GL_DEPTH_ATTACHMENT);
    GLutil::FBO sceneTarget(size, size, true);
    sceneTarget.attatchDepthBuffer();
    for (GLenum attachment : {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2})
        sceneTarget.attatchTexture(GL_RGBA8, GL_RGBA, attachment);
    StandInController game;

    // Without a selection: the scene, in shadow on the left, and no glow program yet.
    testing::internal::CaptureStdout();
    const Image plain = renderToWindow(game, shadowTarget, sceneTarget);
    const std::string firstOutput = testing::internal::GetCapturedStdout();
    savePicture(plain, "renderframe-plain.png");
    EXPECT_EQ(game.shadowDraws, 1);
    EXPECT_EQ(game.shadowMapInScene, shadowTarget.getTexture(0));
    EXPECT_EQ(game.shadowMap, nullptr);
    EXPECT_EQ(firstOutput.find("OverblendTextureShader"), std::string::npos) << firstOutput;
    EXPECT_NEAR(plain.at(60, 32, 1), 204, 3);  // lit ground
    EXPECT_EQ(plain.at(60, 32, 0), 0);
    EXPECT_NEAR(plain.at(3, 32, 1), 92, 4);  // ground in shadow, its colour still there
    EXPECT_EQ(plain.at(3, 32, 0), 0);
    EXPECT_EQ(plain.at(32, 32, 0), 0);  // no glow
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // With a selection the glow's program is made, and a red halo lies along the square's
    // outline; the ground far from it is as before.
    game.selection = std::make_shared<int>(0);
    testing::internal::CaptureStdout();
    const Image selected = renderToWindow(game, shadowTarget, sceneTarget);
    const std::string secondOutput = testing::internal::GetCapturedStdout();
    savePicture(selected, "renderframe-selected.png");
    EXPECT_NE(secondOutput.find("INIT SHADER PROG OverblendTextureShader"), std::string::npos)
        << secondOutput;
    EXPECT_GT(selected.at(24, 32, 0), 150);
    EXPECT_GT(selected.at(21, 32, 0), 60);  // the halo reaches beyond the square
    EXPECT_NEAR(selected.at(60, 4, 1), plain.at(60, 4, 1), 1);
    EXPECT_EQ(selected.at(60, 4, 0), 0);
    EXPECT_EQ(game.shadowMap, nullptr);

    // In wireframe mode the scene is drawn in lines, the full-screen passes filled, and the
    // polygon mode is lines again after the frame.
    VX3D::RenderState::wireframe = true;
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    const Image wireframe = renderToWindow(game, shadowTarget, sceneTarget);
    GLint modes[2] = {0, 0};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    VX3D::RenderState::wireframe = false;
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    EXPECT_EQ(game.polygonModeInScene, GL_LINE);
    EXPECT_EQ(modes[0], GL_LINE);
    EXPECT_TRUE(wireframe.pixels() == selected.pixels()) << "the wireframe frame differs";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
