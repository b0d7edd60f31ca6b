// The blur and compositing passes against a real context: the blur's kernel is centred and
// the same along both axes whatever the target's shape, its reduced target keeps its first
// size while the step follows the factor; the shadow mask darkens the scene by the right
// amount; the glow is laid on in the glow's colour and grows with the distance ratio; each
// pass's program is made once. Runs in the game's working directory, where the shaders are.
#include "Veltrix3D/Blur.h"
#include "Veltrix3D/PostProcessing.h"

#include "GLTestContext.h"
#include "PassTestSupport.h"
#include "Shader/ProgramRegistry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace fs = std::filesystem;
using VX3DTest::Image;
using VX3DTest::makeTexture;
using VX3DTest::Rgba;

namespace {

constexpr Rgba black{0, 0, 0, 255};
constexpr Rgba white{255, 255, 255, 255};

// Rows of column x whose red value is above zero.
int litRows(const Image& image, int x, int height) {
    int rows = 0;
    for (int y = 0; y < height; ++y) rows += image.at(x, y) > 0;
    return rows;
}

}  // namespace

class PostProcessingPasses : public testing::Test {
protected:
    static void SetUpTestSuite() {
        context = std::make_unique<VX3DTest::GLTestContext>(64, 64);
        states = std::make_unique<VX3DTest::GameStates>();
        fs::current_path(VX_GAME_DIR);
    }
    // Context and states are kept until the process ends, as long as the passes' statics.

    void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }

    static std::unique_ptr<VX3DTest::GLTestContext> context;
    static std::unique_ptr<VX3DTest::GameStates> states;
};

std::unique_ptr<VX3DTest::GLTestContext> PostProcessingPasses::context;
std::unique_ptr<VX3DTest::GameStates> PostProcessingPasses::states;

TEST_F(PostProcessingPasses, Blur_SpreadsASinglePixelEvenlyAlongBothAxes) {
    // A wide target: with x and y swapped, or a step not one texel, the spread would differ
    // between the axes by the aspect ratio.
    const int w = 128, h = 32, cx = 64, cy = 16;
    const auto dot =
        makeTexture(w, h, [&](int x, int y) { return x == cx && y == cy ? white : black; });
    VX3D::Blur blur("test", w, h, 1.0f);
    const Image out(blur(dot, w, h, 1.0f), w, h);

    EXPECT_GT(out.at(cx, cy), 0);
    int total = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) total += out.at(x, y);
    EXPECT_NEAR(total, 255, 20);  // the light is spread, not lost or gained
    for (int d = 1; d <= 8; ++d) {
        EXPECT_NEAR(out.at(cx + d, cy), out.at(cx - d, cy), 1) << d;
        EXPECT_NEAR(out.at(cx, cy + d), out.at(cx, cy - d), 1) << d;
        EXPECT_NEAR(out.at(cx + d, cy), out.at(cx, cy + d), 1) << d;
        EXPECT_LE(out.at(cx + d, cy), out.at(cx + d - 1, cy)) << d;
    }
    EXPECT_GT(out.at(cx + 2, cy), 0);  // it does spread
    EXPECT_EQ(out.at(cx + 3, cy), 0);  // but only as far as the kernel reaches
    EXPECT_EQ(out.at(cx, cy + 3), 0);
    EXPECT_EQ(out.at(cx + 2, cy + 2), out.at(cx - 2, cy - 2));
    EXPECT_GT(out.at(cx + 1, cy + 1), 0);
}

TEST_F(PostProcessingPasses, GlowBlur_KeepsItsFirstReducedSizeWhileTheStepFollowsTheFactor) {
    const int w = 64, h = 64;
    // With mipmaps, as the glow target has: the reduced pass reads them, so a thin line is
    // not missed between its samples.
    const auto line = makeTexture(
        w, h, [](int, int y) { return y == 32 ? white : black; }, true);

    // The glow blur's first call fixes its reduced target at a quarter of the size.
    const Image wide(VX3D::glowblurTexture(line, w, h, 4.0f), w, h);
    const Image narrow(VX3D::glowblurTexture(line, w, h, 2.0f), w, h);

    // Made at factor 4 and used at factor 2, as the glow blur was.
    VX3D::Blur kept("test", w, h, 4.0f);
    EXPECT_EQ(kept.reducedTarget().width(), 16);
    EXPECT_EQ(kept.reducedTarget().height(), 16);
    const Image keptNarrow(kept(line, w, h, 2.0f), w, h);
    EXPECT_EQ(kept.reducedTarget().width(), 16);
    EXPECT_EQ(kept.fullTarget().width(), 64);
    EXPECT_TRUE(narrow.pixels() == keptNarrow.pixels());

    // Made at factor 2: a finer reduced target, another result.
    VX3D::Blur remade("test", w, h, 2.0f);
    EXPECT_EQ(remade.reducedTarget().width(), 32);
    EXPECT_FALSE(Image(remade(line, w, h, 2.0f), w, h).pixels() == narrow.pixels());

    // The smaller factor samples closer together: the line spreads over fewer rows.
    EXPECT_GT(litRows(narrow, 32, h), 4);
    EXPECT_LT(litRows(narrow, 32, h), litRows(wide, 32, h));
}

TEST_F(PostProcessingPasses, Blend_DarkensTheSceneWhereTheMaskIsBlack) {
    const int w = 16, h = 16;
    const auto scene = makeTexture(w, h, [](int, int) { return Rgba{255, 255, 255, 255}; });
    const auto mask = makeTexture(w, h, [](int x, int) { return x < 8 ? black : white; });
    const Image out(VX3D::blendTexture(scene, mask, w, h), w, h);
    EXPECT_NEAR(out.at(2, 8), 115, 2);  // in shadow: dark, but not black
    EXPECT_EQ(out.at(2, 8, 3), 255);    // opaque
    EXPECT_EQ(out.at(13, 8), 255);      // lit: unchanged
    EXPECT_EQ(out.at(13, 8, 1), 255);

    // Made once, kept for later calls.
    const std::size_t programs = GLutil::ProgramRegistry::count();
    VX3D::blendTexture(scene, mask, w, h);
    EXPECT_EQ(GLutil::ProgramRegistry::count(), programs);
}

TEST_F(PostProcessingPasses, Overblend_LaysTheGlowOnInItsColourStrongerForFartherAnts) {
    const int w = 16, h = 16;
    const auto composite = makeTexture(w, h, [](int, int) { return Rgba{128, 128, 128, 255}; });
    // Left: no glow. Right: a quarter-strength red, as at the fringe of a blurred silhouette.
    const auto glow = makeTexture(w, h, [](int x, int) {
        return x < 8 ? black : Rgba{64, 0, 0, 255};
    });

    const Image near(VX3D::overblendTexture(composite, glow, w, h, 0.0f), w, h);
    const Image far(VX3D::overblendTexture(composite, glow, w, h, 1.0f), w, h);
    for (const Image* out : {&near, &far}) {
        EXPECT_EQ(out->at(2, 8, 0), 128);  // without glow the composite is untouched
        EXPECT_EQ(out->at(2, 8, 1), 128);
        EXPECT_GT(out->at(13, 8, 0), 200);  // a clear red halo
        EXPECT_LT(out->at(13, 8, 1), 110);
        EXPECT_GT(out->at(13, 8, 1), 40);  // through which the composite still shows
        EXPECT_EQ(out->at(13, 8, 3), 255);
    }
    EXPECT_GT(far.at(13, 8, 0), near.at(13, 8, 0));
    EXPECT_LT(far.at(13, 8, 1), near.at(13, 8, 1));
}
