// The image core's raster operations, PNG files and text: blurring that
// respects the wrap rule (tileable textures stay tileable), compositing,
// 8-bit conversion, file errors that name the file, and FreeType text.
#include "imagecore/Draw.h"
#include "imagecore/Image.h"
#include "imagecore/Png.h"
#include "imagecore/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <numeric>

using namespace vximg;

namespace {

float sum(const Field& f) {
    return std::accumulate(f.data().begin(), f.data().end(), 0.0f);
}

std::filesystem::path scratchDir(const std::string& name) {
    const auto dir = std::filesystem::temp_directory_path() / ("vx_imagecore_" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace

TEST(ImageGrid, Construction_RejectsEmptySizes) {
    EXPECT_THROW(Field(0, 4), std::invalid_argument);
    EXPECT_THROW(Image(3, -1), std::invalid_argument);
}

TEST(ImageGrid, EdgeReads_WrapOrClamp) {
    Field f(3, 2);
    f.at(0, 0) = 1.0f;
    f.at(2, 1) = 5.0f;
    EXPECT_EQ(f.get(3, 0, Edge::Wrap), 1.0f);
    EXPECT_EQ(f.get(-1, -1, Edge::Wrap), 5.0f);
    EXPECT_EQ(f.get(-4, -9, Edge::Clamp), 1.0f);
    EXPECT_EQ(f.get(7, 7, Edge::Clamp), 5.0f);
    // Half-way between pixel centres 0 and 1 on row 0.
    EXPECT_NEAR(f.sample({1.0f, 0.5f}, Edge::Clamp), 0.5f, 1e-6f);
}

TEST(ImageBlur, WrapMode_KeepsTheTotalAndSpreadsAcrossTheBorder) {
    Field f(16, 16);
    f.at(0, 0) = 1.0f;
    blur(f, 2.0f, Edge::Wrap);
    EXPECT_NEAR(sum(f), 1.0f, 1e-4f);
    EXPECT_GT(f.at(15, 15), 0.01f)
        << "light at a corner must reach the opposite corner when wrapping";
    EXPECT_NEAR(f.at(15, 0), f.at(1, 0), 1e-6f);
}

TEST(ImageBlur, ClampMode_DoesNotLeakToTheOppositeSide) {
    Field f(16, 16);
    f.at(0, 0) = 1.0f;
    blur(f, 2.0f, Edge::Clamp);
    EXPECT_LT(f.at(15, 15), 1e-6f);
    EXPECT_GT(f.at(1, 1), 0.01f);
}

TEST(ImageBlur, ZeroSigma_LeavesTheImageAlone) {
    Image img(4, 4, {0.2f, 0.4f, 0.6f, 1.0f});
    img.at(1, 2) = {1, 0, 0, 1};
    const Image before = img;
    blur(img, 0.0f, Edge::Wrap);
    EXPECT_EQ(img, before);
}

TEST(ImageCompositing, BlendOver_MixesByAlphaAndKeepsOpaqueOpaque) {
    glm::vec4 px(0, 0, 1, 1);
    blendOver(px, {1, 0, 0}, 0.25f);
    EXPECT_NEAR(px.r, 0.25f, 1e-6f);
    EXPECT_NEAR(px.b, 0.75f, 1e-6f);
    EXPECT_NEAR(px.a, 1.0f, 1e-6f);

    glm::vec4 clear(0, 0, 0, 0);
    blendOver(clear, {0, 1, 0}, 0.5f);
    EXPECT_NEAR(clear.g, 1.0f, 1e-6f) << "straight alpha: colour of a lone layer is its own";
    EXPECT_NEAR(clear.a, 0.5f, 1e-6f);
}

TEST(ImageCompositing, CompositeOver_RefusesDifferentSizes) {
    Image a(4, 4), b(4, 5);
    EXPECT_THROW(compositeOver(a, b), std::invalid_argument);
}

TEST(ImageFlip, FlippedVertically_ReversesTheRows) {
    Image img(2, 3);
    img.at(1, 0) = {1, 0, 0, 1};
    const Image flipped = flippedVertically(img);
    EXPECT_EQ(flipped.at(1, 2), glm::vec4(1, 0, 0, 1));
    EXPECT_EQ(flipped.at(1, 0), glm::vec4(0));
    EXPECT_EQ(flippedVertically(flipped), img);
}

TEST(ImageNormalise, Field_SpansTheRequestedRange) {
    Field f(3, 1);
    f.at(0, 0) = -2.0f;
    f.at(1, 0) = 0.0f;
    f.at(2, 0) = 6.0f;
    normalise(f, 0.1f, 0.5f);
    EXPECT_NEAR(f.at(0, 0), 0.1f, 1e-6f);
    EXPECT_NEAR(f.at(1, 0), 0.2f, 1e-6f);
    EXPECT_NEAR(f.at(2, 0), 0.5f, 1e-6f);
}

TEST(ImageShapes, Stroke_WrapsAroundATileBorder) {
    Image img(32, 32);
    strokeTapered(
        img, {-3, 16}, {3, 16}, 2, 2, [](float) { return glm::vec4(1, 1, 1, 1); }, Edge::Wrap);
    EXPECT_GT(img.at(31, 16).a, 0.9f);
    EXPECT_GT(img.at(1, 16).a, 0.9f);
    EXPECT_EQ(img.at(16, 16).a, 0.0f);
}

TEST(ImageShapes, Ellipse_CoversItsInsideOnly) {
    Image img(40, 40);
    fillEllipse(img, {20, 20}, {10, 5}, 0.0f, {1, 0, 0, 1});
    EXPECT_NEAR(img.at(20, 20).a, 1.0f, 1e-6f);
    EXPECT_NEAR(img.at(28, 20).a, 1.0f, 1e-6f);
    EXPECT_EQ(img.at(20, 28).a, 0.0f);
    EXPECT_EQ(img.at(2, 2).a, 0.0f);
}

TEST(ImagePng, WriteAndRead_RoundTripsEightBitValues) {
    const auto dir = scratchDir("png");
    Image img(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            img.at(x, y) = {static_cast<float>(x) / 4.0f, static_cast<float>(y) / 2.0f, 0.5f,
                            1.0f - static_cast<float>(x) / 8.0f};
    const std::string path = (dir / "rt.png").string();
    writePng(path, img, {PngChannels::Rgba, false});
    const PngPixels back = readPng(path);
    ASSERT_EQ(back.width, 5u);
    ASSERT_EQ(back.height, 3u);
    EXPECT_EQ(back.rgba, toBytes(img, {PngChannels::Rgba, false}));
    // Rows stay in order: the first written row is the first read row.
    EXPECT_EQ(back.rgba[4 * 4 + 0], 255);
    EXPECT_EQ(back.rgba[(2 * 5) * 4 + 1], 255);
}

TEST(ImagePng, GrayAndRgb_DropTheUnusedChannels) {
    Image img(2, 1, {0.5f, 0.9f, 0.1f, 0.3f});
    const auto gray = toBytes(img, {PngChannels::Gray, false});
    EXPECT_EQ(gray, (std::vector<unsigned char>{128, 128, 128, 255, 128, 128, 128, 255}));
    const auto rgbBytes = toBytes(img, {PngChannels::Rgb, false});
    EXPECT_EQ(rgbBytes[1], 230);
    EXPECT_EQ(rgbBytes[3], 255);
}

TEST(ImagePng, Quantise_ClampsOutOfRangeValues) {
    Image img(1, 1, {-0.5f, 1.7f, 0.5f, 2.0f});
    EXPECT_EQ(toBytes(img, {PngChannels::Rgba, false}),
              (std::vector<unsigned char>{0, 255, 128, 255}));
}

TEST(ImagePng, Dither_IsSmallAndReproducible) {
    Image img(64, 64, {0.5f, 0.5f, 0.5f, 1.0f});
    const auto a = toBytes(img, {PngChannels::Rgb, true});
    EXPECT_EQ(a, toBytes(img, {PngChannels::Rgb, true}));
    for (std::size_t i = 0; i < a.size(); i += 4) EXPECT_NEAR(static_cast<int>(a[i]), 128, 1);
}

TEST(ImagePng, Failures_NameTheFile) {
    const auto dir = scratchDir("pngfail");
    const std::string missingDir = (dir / "no" / "such" / "x.png").string();
    try {
        writePng(missingDir, Image(2, 2), {});
        FAIL() << "writing into a missing directory succeeded";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find(missingDir), std::string::npos) << e.what();
    }
    const std::string notPng = (dir / "junk.png").string();
    { std::ofstream(notPng) << "not a png"; }
    try {
        readPng(notPng);
        FAIL() << "a text file decoded as PNG";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find(notPng), std::string::npos) << e.what();
    }
    EXPECT_THROW(readPng((dir / "absent.png").string()), std::runtime_error);
}

TEST(ImageUtf8, Decode_ReadsMultiByteCharacters) {
    EXPECT_EQ(decodeUtf8("Loading\u2026"), std::u32string(U"Loading\u2026"));
    EXPECT_EQ(decodeUtf8("a\u00b7b"), std::u32string(U"a\u00b7b"));
    EXPECT_EQ(decodeUtf8(""), std::u32string());
}

TEST(ImageUtf8, Decode_RejectsBrokenSequencesWithTheirOffset) {
    for (const std::string& bad :
         {std::string("ab\xe2\x80"), std::string("\xff"), std::string("x\xc0\xaf"),
          std::string("\xed\xa0\x80"), std::string("\xe2x\x80")}) {
        try {
            decodeUtf8(bad);
            FAIL() << "accepted a broken sequence";
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find("at byte"), std::string::npos) << e.what();
        }
    }
}

TEST(ImageFont, MissingFile_IsReportedWithItsPath) {
    try {
        Font font("/nonexistent/NoSuchFont.ttf");
        FAIL() << "opened a missing font";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent/NoSuchFont.ttf"), std::string::npos)
            << e.what();
    }
}

TEST(ImageFont, Render_PutsInkOnTheBaselineAndScalesWithSize) {
    const Font font(kFontSansBold);
    const TextMask mask = font.render("Draw", 60, 4);
    EXPECT_GT(sum(mask.coverage), 60.0f * 20.0f * 0.3f);
    // Ink of capital letters sits above the baseline row, none far below it.
    float above = 0.0f, below = 0.0f;
    for (int y = 0; y < mask.coverage.height(); ++y)
        for (int x = 0; x < mask.coverage.width(); ++x)
            (y < mask.baseline ? above : below) += mask.coverage.at(x, y);
    EXPECT_GT(above, 50.0f * below);
    EXPECT_GT(font.measure("Draw", 120), font.measure("Draw", 60) * 19 / 10);
    EXPECT_EQ(mask.advance, font.measure("Draw", 60));
}

TEST(ImageFont, FitSize_KeepsTheLineWithinTheWidth) {
    const Font font(kFontSans);
    const std::string line = "Both colonies gathered the same amount of food";
    const int size = font.fitSize(line, 200, 500);
    EXPECT_LE(font.measure(line, size), 500);
    EXPECT_GT(font.measure(line, size + 1), 500);
    EXPECT_EQ(font.fitSize("x", 40, 1000), 40);
}

TEST(ImageFont, MissingGlyph_IsAnError) {
    const Font font(kFontSans);
    EXPECT_THROW(font.render("\U0010FFFD", 20, 0), std::runtime_error);
}
