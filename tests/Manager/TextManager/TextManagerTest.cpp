// The text manager on a real context: loading the shipped font and its failures (a descriptor
// without "chnl=", a missing metrics file), text expiry and order, the help overlay and the
// frame-rate line as the frame loop adds them, and a render into a frame buffer whose glyph
// pixels must sit where the anchor puts the text, in the text and outline colours.
#include "GLTestContext.h"
#include "Manager/TextManager/HelpOverlay.h"
#include "Manager/TextManager/TextManager.h"
#include "FBO/FBO.h"
#include "Shader/ShaderStore.h"
#include "Veltrix3D/RenderState.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

using namespace VX3D;

namespace {

const std::string textDir = std::string(VX_GAME_DIR) + "/res/text";
constexpr int side = 256;

// A scratch copy of the font directory whose files a test may spoil.
std::filesystem::path scratchFontDir(const std::string& name) {
    const auto dir = std::filesystem::temp_directory_path() / ("vx_text_" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::copy(textDir, dir);
    return dir;
}

struct PixelBox {
    int minX = side, minY = side, maxX = -1, maxY = -1, count = 0;
    void add(int x, int y) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
        ++count;
    }
};

}  // namespace

class TextManagerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        context = std::make_unique<VX3DTest::GLTestContext>(side, side);
        text = std::make_unique<TextManager>(textDir);
    }
    static void TearDownTestSuite() {
        text.reset();
        // The stored shaders belong to this context; the next suite makes a new one.
        GLutil::ShaderStore::purge();
        context.reset();
    }
    void SetUp() override { text->update(1.0e9); }  // start every test without texts

    static std::unique_ptr<VX3DTest::GLTestContext> context;
    static std::unique_ptr<TextManager> text;
};

std::unique_ptr<VX3DTest::GLTestContext> TextManagerTest::context;
std::unique_ptr<TextManager> TextManagerTest::text;

TEST_F(TextManagerTest, Load_ShippedFontGivesEveryGlyphAndTheAtlasSize) {
    EXPECT_EQ(text->texture().width(), 1024u);
    EXPECT_EQ(text->texture().height(), 512u);
    EXPECT_EQ(text->font().descriptors.size(), text->font().metrics.size());
    EXPECT_GE(text->font().descriptors.size(), 219u);
    EXPECT_EQ(text->program()->name(), "TextShader");
    EXPECT_LT(text->font().line.bottom, 0);
    EXPECT_GT(text->font().line.top, 0);
}

TEST_F(TextManagerTest, Load_DescriptorWithoutChnlFailsWithNoFontInfos) {
    const auto dir = scratchFontDir("nochnl");
    std::string descriptor;
    {
        std::ifstream in(dir / "FreeSans.ttf_sdf.txt");
        descriptor.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    for (std::size_t at; (at = descriptor.find(" chnl=15")) != std::string::npos;) {
        descriptor.erase(at, 8);
    }
    std::ofstream(dir / "FreeSans.ttf_sdf.txt") << descriptor;
    try {
        TextManager broken(dir.string());
        FAIL() << "a descriptor without chnl= must not load";
    } catch (const std::logic_error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("No font infos extracted", 0), 0u) << e.what();
    }
    std::filesystem::remove_all(dir);
}

TEST_F(TextManagerTest, Load_MissingMetricsFileIsNamed) {
    const auto dir = scratchFontDir("nometrics");
    std::filesystem::remove(dir / "FreeSans.txt");
    try {
        TextManager broken(dir.string());
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("FreeSans.txt"), std::string::npos) << e.what();
    }
    std::filesystem::remove_all(dir);
}

TEST_F(TextManagerTest, Update_TextDisappearsAtFirstUpdateAfterItsDuration) {
    text->addText(4, {0, 0}, 0.1f, "AI moves", 3.0);
    FrameClock clock(10.0);
    for (double t : {11.0, 12.0, 13.0}) {
        clock.update(t);
        text->update(clock);
        ASSERT_EQ(text->blocks().size(), 1u) << "still shown at " << t - 10.0 << " s";
    }
    clock.update(13.01);
    text->update(clock);
    EXPECT_TRUE(text->blocks().empty());
}

TEST_F(TextManagerTest, AddText_OverlappingTextsStayAndExpiryKeepsOrder) {
    text->addText(6, {-1, 1}, 1.0f / 12, "Player 0 Score: 1", 5.0);
    text->addText(6, {-1, 1}, 1.0f / 12, "Player 0 Score: 2", 1.0);
    text->addText(6, {-1, 1}, 1.0f / 12, "Player 1 Score: 0", 5.0);
    ASSERT_EQ(text->blocks().size(), 3u);
    text->update(2.0);
    ASSERT_EQ(text->blocks().size(), 2u);
    EXPECT_EQ(text->blocks()[0].text, "Player 0 Score: 1");
    EXPECT_EQ(text->blocks()[1].text, "Player 1 Score: 0");
}

TEST_F(TextManagerTest, AddText_FailureAddsNoBlock) {
    EXPECT_THROW(text->addText(0, {0, 0}, 0.1f, "snow \xe2\x98\x83", 1.0),
                 std::logic_error);  // U+2603 not in the font
    EXPECT_THROW(text->addText(0, {0, 0}, 0.1f, "bad \xc3", 1.0), std::exception);
    EXPECT_TRUE(text->blocks().empty());
    text->addText(0, {0, 0}, 0.1f, "\xe2\x80\x9cPrice: 5 \xe2\x82\xac\xe2\x80\x9d",
                  1.0);  // “Price: 5 €”
    EXPECT_EQ(text->blocks().size(), 1u);
}

TEST_F(TextManagerTest, HelpOverlay_AddsTwentySevenLinesAtTheirPositionsForOneBeat) {
    showHelpOverlay(*text, 0.5);
    const auto& blocks = text->blocks();
    ASSERT_EQ(blocks.size(), 27u);
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        EXPECT_EQ(blocks[k].text, helpLines()[k].text);
        EXPECT_NEAR(blocks[k].boxMin.x, -1.0f, 1e-6);
        EXPECT_NEAR(blocks[k].boxMax.y, 0.7733333f - k * (23.0f / 300.0f), 1e-5) << k;
        EXPECT_NEAR(blocks[k].boxMax.y - blocks[k].boxMin.y, 1.0f / 15.0f, 1e-5);
    }
    EXPECT_LT(blocks[26].boxMin.y, -1.0f) << "the last line hangs below the window";
    text->update(0.5);
    EXPECT_EQ(blocks.size(), 27u);
    text->update(0.01);
    EXPECT_TRUE(blocks.empty());
}

TEST_F(TextManagerTest, FrameRateLine_TopRightCornerAtTheWindowsCorner) {
    showFrameRateLine(*text, "60 FPS (16ms), 1234 primitives");
    ASSERT_EQ(text->blocks().size(), 1u);
    const auto& block = text->blocks()[0];
    EXPECT_NEAR(block.boxMax.x, 1.0f, 1e-6);
    EXPECT_NEAR(block.boxMax.y, 1.0f, 1e-6);
    EXPECT_NEAR(block.boxMax.y - block.boxMin.y, 1.0f / 12.0f, 1e-6);
    EXPECT_GT(block.boxMin.x, -1.0f);
}

// Draws "HI" into a frame buffer and finds its pixels. The glyphs' inside (text colour, red)
// must fill the ink box the font's metrics predict for the anchor: the glyph boxes less the
// 8 px distance padding the font tool adds around every glyph.
class TextRenderTest : public TextManagerTest {
protected:
    struct Found {
        PixelBox red, green, blue;
        std::vector<unsigned char> pixels;
    };

    Found render(int anchor, glm::vec2 position, float size, const std::string& png) {
        GLutil::FBO fbo(side, side, false);
        fbo.attatchTexture(GL_RGBA8, GL_RGBA, GL_COLOR_ATTACHMENT0);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo.id());
        glDrawBuffer(GL_COLOR_ATTACHMENT0);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        GLutil::FBO::checkStatus();
        glViewport(0, 0, side, side);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

        text->addText(anchor, position, size, "HI", 1.0);
        text->Draw();
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << "Draw turns the depth test back on";
        EXPECT_TRUE(glIsEnabled(GL_CULL_FACE)) << "Draw turns culling back on";
        const auto pixels = VX3DTest::readPixels(0, 0, side, side);
        VX3DTest::writePng(std::string(VX_BIN_DIR) + "/" + png, pixels, side, side);
        GLutil::FBO::unbind();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

        Found found;
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                const unsigned char* p = &pixels[(static_cast<std::size_t>(y) * side + x) * 4];
                if (p[0] > 128 && p[1] < 100 && p[2] < 100) {
                    found.red.add(x, y);
                } else if (p[1] > 128 && p[0] < 100) {
                    found.green.add(x, y);
                } else if (p[2] > 60 && p[0] < 40 && p[1] < 40) {
                    found.blue.add(x, y);
                }
            }
        }
        found.pixels = pixels;
        return found;
    }

    // Ink box of "HI" in pixels (bottom row 0) for a text whose line box starts at (left, bottom).
    PixelBox predictedInk(float left, float bottom, float size) {
        const FontTables& font = text->font();
        const float s = size / static_cast<float>(font.line.top - font.line.bottom);
        const float pad = 8.0f;
        const GlyphMetrics& h = font.metrics.at('H');
        const GlyphMetrics& i = font.metrics.at('I');
        const auto px = [](float ndc) { return (ndc + 1.0f) * 0.5f * side; };
        PixelBox box;
        box.minX = static_cast<int>(px(left + s * (h.xOffset + pad)));
        box.maxX = static_cast<int>(px(left + s * (h.advance + i.xOffset + i.width - pad)));
        box.minY = static_cast<int>(px(bottom + s * (h.yOffset + pad - font.line.bottom)));
        box.maxY =
            static_cast<int>(px(bottom + s * (h.yOffset + h.height - pad - font.line.bottom)));
        return box;
    }

    void expectInkAt(const Found& found, const PixelBox& ink) {
        ASSERT_GT(found.red.count, 100) << "the glyphs must be drawn in the text colour";
        EXPECT_NEAR(found.red.minX, ink.minX, 2);
        EXPECT_NEAR(found.red.maxX, ink.maxX, 2);
        EXPECT_NEAR(found.red.minY, ink.minY, 2);
        EXPECT_NEAR(found.red.maxY, ink.maxY, 2);
        EXPECT_GT(found.green.count, 50) << "the outline must show";
        EXPECT_GE(found.green.minX, ink.minX - 5);
        EXPECT_LE(found.green.maxY, ink.maxY + 5);
    }
};

TEST_F(TextRenderTest, Draw_Anchor6PutsTheGlyphsBelowRightOfThePosition) {
    const float size = 0.5f;
    const Found found = render(6, {-0.75f, 0.5f}, size, "text_render_anchor6.png");
    expectInkAt(found, predictedInk(-0.75f, 0.5f - size, size));
}

TEST_F(TextRenderTest, Draw_Anchor2PutsTheGlyphsAboveLeftOfThePosition) {
    const float size = 0.4f;
    const FontTables& font = text->font();
    const float s = size / static_cast<float>(font.line.top - font.line.bottom);
    const float width =
        s * static_cast<float>(font.metrics.at('H').advance + font.metrics.at('I').advance);
    const Found found = render(2, {0.9f, -0.9f}, size, "text_render_anchor2.png");
    expectInkAt(found, predictedInk(0.9f - width, -0.9f, size));
}

TEST_F(TextRenderTest, Draw_LargeTextKeepsACrispEdge) {
    // Magnified about six times over the atlas: the step from outline to glyph still spans
    // at most a few pixels instead of a smeared ramp.
    const Found found = render(4, {0.0f, 0.0f}, 1.9f, "text_render_large.png");
    ASSERT_GT(found.red.count, 1000);
    EXPECT_GT(found.blue.count, 100) << "the glow must show";
    // A row through the upper half of the stems, above the H's crossbar.
    const int row = found.red.minY + (found.red.maxY - found.red.minY) * 4 / 5;
    int boundaries = 0;
    int blended = 0;
    char previous = 0;
    for (int x = 0; x < side; ++x) {
        const unsigned char* p = &found.pixels[(static_cast<std::size_t>(row) * side + x) * 4];
        const char kind = p[0] > 230 && p[1] < 25 ? 'r' : p[1] > 230 && p[0] < 25 ? 'g' : 0;
        if (kind == 0 && p[0] + p[1] > 200) {
            ++blended;  // between glyph and outline
        }
        if (kind != 0 && previous != 0 && kind != previous) {
            ++boundaries;
        }
        if (kind != 0) {
            previous = kind;
        }
    }
    EXPECT_GE(boundaries, 6) << "two stems of H and one of I, each with two edges";
    EXPECT_LE(blended, 2 * boundaries) << "each edge may blend over at most two pixels";
}
