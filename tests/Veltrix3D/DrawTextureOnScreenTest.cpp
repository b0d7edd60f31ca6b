// The full-screen texture pass against a real context: a texture covers the whole viewport
// the right way up, an empty texture draws the quad untextured, and the pass's program is made
// once and kept. Runs in the game's working directory, where its shader files are.
#include "Veltrix3D/PostProcessing.h"

#include "GLTestContext.h"
#include "Shader/ProgramRegistry.h"
#include "Texture/Texture.h"

#include <gtest/gtest.h>
#include <lodepng.h>

#include <filesystem>
#include <memory>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Top-left red, top-right green, bottom-left blue, bottom-right white on screen; stored bottom
// row first, as the game's screens are.
fs::path writeQuadrants() {
    const unsigned w = 32, h = 32;
    std::vector<unsigned char> pixels(w * h * 4, 255);
    for (unsigned row = 0; row < h; ++row)
        for (unsigned x = 0; x < w; ++x) {
            unsigned char* p = &pixels[(row * w + x) * 4];
            const bool top = row >= h / 2, left = x < w / 2;
            p[0] = (top && left) || (!top && !left) ? 255 : 0;
            p[1] = (top && !left) || (!top && !left) ? 255 : 0;
            p[2] = !top ? 255 : 0;
        }
    const fs::path path =
        fs::temp_directory_path() / ("vx_quadrants_" + std::to_string(::getpid()) + ".png");
    EXPECT_EQ(lodepng::encode(path.string(), pixels, w, h), 0u);
    return path;
}

}  // namespace

class DrawTextureOnScreen : public testing::Test {
protected:
    static void SetUpTestSuite() {
        context = std::make_unique<VX3DTest::GLTestContext>(64, 64);
        fs::current_path(VX_GAME_DIR);
    }
    // The context is kept until the process ends: the pass's program and quad live until then
    // too, and are deleted (static destruction runs in reverse) while the context still exists.

    void SetUp() override {
        glViewport(0, 0, 64, 64);
        glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    static std::unique_ptr<VX3DTest::GLTestContext> context;
};

std::unique_ptr<VX3DTest::GLTestContext> DrawTextureOnScreen::context;

TEST_F(DrawTextureOnScreen, Texture_CoversTheViewportTheRightWayUp) {
    const fs::path file = writeQuadrants();
    GLutil::Texture texture(file.string(), 0);
    fs::remove(file);
    VX3D::drawTextureOnScreen(texture.handle());
    const auto pixels = VX3DTest::readPixels(0, 0, 64, 64);  // bottom row first
    auto at = [&](int x, int yFromTop) { return &pixels[((63 - yFromTop) * 64 + x) * 4]; };
    auto expect = [&](int x, int y, int r, int g, int b) {
        const unsigned char* p = at(x, y);
        EXPECT_EQ(p[0], r) << x << "," << y;
        EXPECT_EQ(p[1], g) << x << "," << y;
        EXPECT_EQ(p[2], b) << x << "," << y;
    };
    expect(16, 16, 255, 0, 0);
    expect(48, 16, 0, 255, 0);
    expect(16, 48, 0, 0, 255);
    expect(48, 48, 255, 255, 255);
    // The corners are covered too: no grey of the clear colour is left.
    for (int x : {0, 63})
        for (int y : {0, 63})
            EXPECT_FALSE(at(x, y)[0] == 128 && at(x, y)[1] == 128) << x << "," << y;
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);  // unbound again afterwards
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The end splash and the loading screen under the wireframe key: filled, not an outline, and
// the wireframe setting is left as it was.
TEST_F(DrawTextureOnScreen, UnderWireframe_StillFillsTheViewport) {
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    VX3D::drawTextureOnScreen(nullptr);
    GLint modes[2] = {0, 0};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    EXPECT_EQ(modes[0], GL_LINE);
    const auto pixels = VX3DTest::readPixels(32, 32, 1, 1);
    EXPECT_EQ(pixels[0], 0) << "the middle is covered, not left grey";
    EXPECT_EQ(pixels[1], 0);
}

TEST_F(DrawTextureOnScreen, EmptyTexture_DrawsTheQuadWithoutATexture) {
    VX3D::drawTextureOnScreen(nullptr);
    const auto pixels = VX3DTest::readPixels(32, 32, 1, 1);
    // Sampling no texture gives opaque black, which replaces the grey clear colour.
    EXPECT_EQ(pixels[0], 0);
    EXPECT_EQ(pixels[1], 0);
    EXPECT_EQ(pixels[2], 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(DrawTextureOnScreen, Program_IsMadeOnceAndKept) {
    VX3D::drawTextureOnScreen(nullptr);
    const std::size_t programs = GLutil::ProgramRegistry::count();
    EXPECT_GE(programs, 1u);
    VX3D::drawTextureOnScreen(nullptr);
    VX3D::drawTextureOnScreen(nullptr);
    EXPECT_EQ(GLutil::ProgramRegistry::count(), programs);
}
