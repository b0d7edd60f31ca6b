// Font reading and line layout, without a graphics context: the descriptor keyword spotter
// (its order and reset rules decide which values a glyph gets), descriptor and metrics
// parsing with their error messages, the line box, the nine anchors, unknown glyphs, malformed
// UTF-8, and the shipped font files' coverage. Layout mistakes here put every text of the game
// in the wrong place, so the anchors are checked against independent arithmetic.
#include "Manager/TextManager/CParser.h"
#include "Manager/TextManager/FontData.h"
#include "Manager/TextManager/HelpOverlay.h"

#include <gtest/gtest.h>
#include <utf8.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

using namespace VX3D;

namespace {

const std::string textDir = std::string(VX_GAME_DIR) + "/res/text";

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A tiny font: 'A' and 'b' with descriptor and metrics, '#' with metrics only, and the euro
// sign far taller than the rest.
FontTables tinyFont() {
    FontTables font;
    font.metrics[65] = {65, 10, 20, 1, -2, 12};
    font.metrics[98] = {98, 8, 24, 0, -6, 9};
    font.metrics[35] = {35, 8, 8, 0, 0, 9};
    font.metrics[0x20AC] = {0x20AC, 10, 100, 0, -50, 11};
    font.descriptors[65] = {65, 0, 0, 10, 20, 0, 0, 12, 0, 15, 0.0f, 0.25f, 0.0f, 0.5f};
    font.descriptors[98] = {98, 10, 0, 8, 24, 0, 0, 9, 0, 15, 0.25f, 0.45f, 0.0f, 0.6f};
    font.descriptors[0x20AC] = {0x20AC, 20, 0, 10, 40, 0, 0, 11, 0, 15, 0.5f, 0.75f, 0.0f, 1.0f};
    font.line = computeLineBox(font.metrics, "tiny");
    return font;
}

}  // namespace

TEST(CParser, EmptyKeyword_IsRefused) {
    CParser parser;
    EXPECT_THROW(parser.addToken(1, ""), std::invalid_argument);
    EXPECT_TRUE(parser.tokens().empty());
}

TEST(CParser, Feed_LastRegisteredTokenWinsAndAllCountsReset) {
    CParser parser;
    parser.addToken(1, "ab=");
    parser.addToken(2, "b=");
    int last = 0;
    for (char c : std::string("ab=")) {
        last = parser.feed(c);
    }
    // "b=" is checked first and completes on the same "=", so "ab=" never does.
    EXPECT_EQ(last, 2);
    for (const CToken& token : parser.tokens()) {
        EXPECT_EQ(token.matched(), 0u);
    }
}

TEST(CParser, Feed_MismatchStartsTheKeywordAgainWithoutRetry) {
    CParser parser;
    parser.addToken(7, "x=");
    std::string seen;
    for (char c : std::string("xx= x=")) {
        seen += std::to_string(parser.feed(c));
    }
    // The second "x" breaks the first match and is not taken as a new start.
    EXPECT_EQ(seen, "000007");
}

TEST(FontDescriptor, CharLine_GivesEveryValueAndTextureRectangle) {
    const auto glyphs = parseFontDescriptor(
        "char id=65 x=100 y=50 width=20 height=30 xoffset=-3 yoffset=4 xadvance=17 page=0 "
        "chnl=15\n",
        200, 100, "f.txt");
    ASSERT_EQ(glyphs.size(), 1u);
    const GlyphDescriptor& g = glyphs[0];
    EXPECT_EQ(g.id, 65);
    EXPECT_EQ(g.x, 100);
    EXPECT_EQ(g.y, 50);
    EXPECT_EQ(g.width, 20);
    EXPECT_EQ(g.height, 30);
    EXPECT_EQ(g.xoffset, -3);
    EXPECT_EQ(g.yoffset, 4);
    EXPECT_EQ(g.xadvance, 17);
    EXPECT_EQ(g.page, 0);
    EXPECT_EQ(g.chnl, 15);
    EXPECT_FLOAT_EQ(g.uMin, 0.5f);
    EXPECT_FLOAT_EQ(g.uMax, 0.6f);
    EXPECT_FLOAT_EQ(g.vMin, 0.5f);
    EXPECT_FLOAT_EQ(g.vMax, 0.8f);
}

TEST(FontDescriptor, Values_CarryAcrossLinesUntilOverwritten) {
    // The keys of one glyph spread over two lines, and a second glyph that only changes id and
    // x: it keeps everything else from the first. Decimal offsets are truncated towards zero.
    const auto glyphs = parseFontDescriptor(
        "char id=65 x=1 y=2 width=3\nheight=4 xoffset=-1.7 yoffset=2.9 "
        "xadvance=5.5 page=0 chnl=15\nchar id=66 x=9 chnl=15",
        10, 10, "f.txt");
    ASSERT_EQ(glyphs.size(), 2u);
    EXPECT_EQ(glyphs[0].height, 4);
    EXPECT_EQ(glyphs[0].xoffset, -1);
    EXPECT_EQ(glyphs[0].yoffset, 2);
    EXPECT_EQ(glyphs[0].xadvance, 5);
    EXPECT_EQ(glyphs[1].id, 66);
    EXPECT_EQ(glyphs[1].x, 9);
    EXPECT_EQ(glyphs[1].width, 3);
    EXPECT_EQ(glyphs[1].height, 4);
}

TEST(FontDescriptor, Value_RunsToNextBlankThroughLineEnds) {
    // "page=3\nchar" is one run; its leading number counts. The info and common lines and the
    // page line's "id=0" add no glyph.
    const auto glyphs = parseFontDescriptor(
        "info face=\"x\" size=48\ncommon lineHeight=53 base=39 scaleW=8 scaleH=8\n"
        "page id=0 file=\"a.png\"\nchars count=1\n"
        "char id=33 x=1 y=1 width=2 height=2 xoffset=0 yoffset=0 xadvance=3 page=3\nchar chnl=15",
        8, 8, "f.txt");
    ASSERT_EQ(glyphs.size(), 1u);
    EXPECT_EQ(glyphs[0].id, 33);
    EXPECT_EQ(glyphs[0].page, 3);
}

TEST(FontDescriptor, WithoutChnl_YieldsNoGlyph) {
    const auto glyphs = parseFontDescriptor(
        "char id=65 x=100 y=50 width=20 height=30 xoffset=-3 yoffset=4 xadvance=17 page=0\n", 200,
        100, "f.txt");
    EXPECT_TRUE(glyphs.empty());
}

TEST(FontDescriptor, NonNumericValue_NamesFileAndKey) {
    try {
        parseFontDescriptor("char id=65 x=abc chnl=15", 10, 10, "res/text/bad.txt");
        FAIL();
    } catch (const std::runtime_error& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("res/text/bad.txt"), std::string::npos) << message;
        EXPECT_NE(message.find("\"x=\""), std::string::npos) << message;
    }
}

TEST(FontMetrics, FirstEntryOfACodePointCounts) {
    std::istringstream in("65 10 20 1 -2 12\n65 99 99 99 99 99\n66 1 2 3 4 5\n");
    const auto metrics = readFontMetrics(in, "m.txt");
    ASSERT_EQ(metrics.size(), 2u);
    EXPECT_EQ(metrics.at(65).width, 10);
    EXPECT_EQ(metrics.at(65).yOffset, -2);
    EXPECT_EQ(metrics.at(66).advance, 5);
}

TEST(FontMetrics, CorruptOrTruncatedFile_NamesTheFile) {
    std::istringstream corrupt("65 10 20 1 -2 12\nx 1 2 3 4 5\n");
    EXPECT_THROW(
        {
            try {
                readFontMetrics(corrupt, "res/text/FreeSans.txt");
            } catch (const std::runtime_error& e) {
                EXPECT_NE(std::string(e.what()).find("res/text/FreeSans.txt"), std::string::npos);
                throw;
            }
        },
        std::runtime_error);
    std::istringstream truncated("65 10 20 1 -2 12\n66 1 2\n");
    EXPECT_THROW(readFontMetrics(truncated, "m.txt"), std::runtime_error);
}

TEST(FontMetrics, LineBox_OnlyFromCodePointsUpTo255) {
    const FontTables font = tinyFont();
    EXPECT_EQ(font.line.bottom, -6);  // 'b' goes lowest
    EXPECT_EQ(font.line.top, 18);     // 'b': 24 - 6; the euro sign's 50 does not count
    std::map<std::int32_t, GlyphMetrics> onlyHigh{{0x20AC, {0x20AC, 1, 1, 0, 0, 1}}};
    EXPECT_THROW(computeLineBox(onlyHigh, "m.txt"), std::runtime_error);
}

TEST(Layout, Anchors_PlaceTheLineBoxAsTheirColumnAndRowSay) {
    const FontTables font = tinyFont();
    const glm::vec2 p(0.2f, -0.3f);
    const float size = 0.24f;
    // "Ab": pen advances 12 + 9 = 21 units, line height 24 units, so width on screen 0.21.
    const float width = 21.0f * size / 24.0f;
    for (int anchor = 0; anchor <= 8; ++anchor) {
        const TextGeometry g = layoutText(font, anchor, p, size, "Ab");
        const float left = p.x - (anchor % 3) * 0.5f * width;
        const float bottom = p.y - (anchor / 3) * 0.5f * size;
        EXPECT_NEAR(g.boxMin.x, left, 1e-6) << "anchor " << anchor;
        EXPECT_NEAR(g.boxMax.x, left + width, 1e-6) << "anchor " << anchor;
        EXPECT_NEAR(g.boxMin.y, bottom, 1e-6) << "anchor " << anchor;
        EXPECT_NEAR(g.boxMax.y, bottom + size, 1e-6) << "anchor " << anchor;
    }
    for (int anchor : {-1, 9, 42}) {
        const TextGeometry g = layoutText(font, anchor, p, size, "Ab");
        EXPECT_NEAR(g.boxMin.x, p.x, 1e-6);
        EXPECT_NEAR(g.boxMin.y, p.y, 1e-6);
    }
}

TEST(Layout, Anchor4CentresAndAnchor6PutsTopLeftAtThePosition) {
    const FontTables font = tinyFont();
    const TextGeometry centred = layoutText(font, 4, {0.1f, 0.2f}, 0.5f, "bAb");
    EXPECT_NEAR((centred.boxMin.x + centred.boxMax.x) / 2, 0.1f, 1e-6);
    EXPECT_NEAR((centred.boxMin.y + centred.boxMax.y) / 2, 0.2f, 1e-6);
    const TextGeometry topLeft = layoutText(font, 6, {-1.0f, 1.0f}, 0.5f, "bAb");
    EXPECT_NEAR(topLeft.boxMin.x, -1.0f, 1e-6);
    EXPECT_NEAR(topLeft.boxMax.y, 1.0f, 1e-6);
}

TEST(Layout, GlyphQuads_FollowPenOffsetsAndFlipRows) {
    const FontTables font = tinyFont();
    // size 24 = line height, so one layout unit is one screen unit; anchor 0 at (0, 0) puts the
    // line bottom (-6) at y = 0.
    const TextGeometry g = layoutText(font, 0, {0.0f, 0.0f}, 24.0f, "Ab");
    ASSERT_EQ(g.positions.size(), 12u);
    // 'A': box at (1, -2) size 10 × 20, shifted up by 6.
    EXPECT_EQ(g.positions[0], glm::vec4(1, 4, 0, 1));
    EXPECT_EQ(g.positions[1], glm::vec4(11, 24, 0, 1));
    EXPECT_EQ(g.texCoords[0], glm::vec2(0.0f, 0.5f));  // bottom-left takes vMax
    EXPECT_EQ(g.texCoords[1], glm::vec2(0.25f, 0.0f));
    EXPECT_EQ(g.positions[4], glm::vec4(11, 4, 0, 1));
    // 'b' starts at the pen after 'A''s advance of 12.
    EXPECT_EQ(g.positions[6], glm::vec4(12, 0, 0, 1));
}

TEST(Layout, UnknownGlyph_RaisesItsMessage) {
    const FontTables font = tinyFont();
    try {
        layoutText(font, 0, {0, 0}, 0.1f, "AZ");
        FAIL();
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "glyph not available in fontdrawinfo");
    }
    try {
        layoutText(font, 0, {0, 0}, 0.1f, "A#");  // metrics but no descriptor
        FAIL();
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "char not found");
    }
}

TEST(Layout, MalformedUtf8_RaisesTheDecodersErrors) {
    const FontTables font = tinyFont();
    EXPECT_THROW(layoutText(font, 0, {0, 0}, 0.1f, "A\xff"), utf8::invalid_utf8);
    EXPECT_THROW(layoutText(font, 0, {0, 0}, 0.1f, "A\xe2\x82"), utf8::not_enough_room);
}

TEST(Layout, AboveLatin1_DrawnWithoutChangingTheLineBox) {
    const FontTables font = tinyFont();
    const TextGeometry g = layoutText(font, 0, {0, 0}, 24.0f, "A\xe2\x82\xac");  // "A€"
    EXPECT_EQ(g.positions.size(), 12u);
    EXPECT_NEAR(g.boxMax.y - g.boxMin.y, 24.0f, 1e-5);
    EXPECT_EQ(g.texCoords[6], glm::vec2(0.5f, 1.0f));
}

TEST(ShippedFont, CoversLatin1AndTheCommonExtras) {
    std::ifstream metricsFile(textDir + "/FreeSans.txt");
    const auto metrics = readFontMetrics(metricsFile, "FreeSans.txt");
    const auto descriptors = parseFontDescriptor(readFile(textDir + "/FreeSans.ttf_sdf.txt"), 1024,
                                                 512, "FreeSans.ttf_sdf.txt");
    std::map<std::int32_t, GlyphDescriptor> byId;
    for (const auto& d : descriptors) {
        byId[d.id] = d;
        EXPECT_GE(d.uMin, 0.0f);
        EXPECT_LE(d.uMax, 1.0f);
        EXPECT_LE(d.vMax, 1.0f);
    }
    std::vector<std::int32_t> wanted;
    for (int c = 32; c <= 126; ++c) wanted.push_back(c);
    for (int c = 160; c <= 255; ++c) wanted.push_back(c);
    for (int c : {0x20AC, 0x2018, 0x2019, 0x201C, 0x201D, 0x201E, 0x2013, 0x2014, 0x2026})
        wanted.push_back(c);
    for (std::int32_t c : wanted) {
        EXPECT_TRUE(metrics.count(c)) << "metrics lack " << c;
        EXPECT_TRUE(byId.count(c)) << "descriptor lacks " << c;
    }
    EXPECT_EQ(metrics.size(), descriptors.size());
    // Every help line can be laid out with the shipped font.
    FontTables font;
    font.metrics = metrics;
    font.descriptors = byId;
    font.line = computeLineBox(metrics, "FreeSans.txt");
    for (const HelpLine& line : helpLines()) {
        EXPECT_NO_THROW(layoutText(font, helpAnchor, {helpX, line.y}, helpSize, line.text))
            << line.text;
    }
}

TEST(HelpOverlay, TwentySevenLinesFromWelcomeDownBelowTheWindow) {
    const auto& lines = helpLines();
    ASSERT_EQ(lines.size(), 27u);
    EXPECT_STREQ(lines[0].text, "Welcome to Veltrix3D: Orbanix");
    EXPECT_STREQ(lines[1].text, "Objective: Eat food, don't get beaten");
    EXPECT_STREQ(lines[8].text, "Space: Next player's view after the hand-over");
    EXPECT_STREQ(lines[14].text, "F6: Toggle Vertex Buffer Usage (do not touch)");
    EXPECT_STREQ(lines[24].text, "P: Save a screenshot");
    EXPECT_STREQ(lines[26].text, "Y: Invert camera movement vertically");
    EXPECT_NEAR(lines[0].y, 0.7733f, 1e-4);
    EXPECT_NEAR(lines[10].y, 0.0067f, 1e-4);
    EXPECT_NEAR(lines[11].y, -0.07f, 1e-4);
    EXPECT_NEAR(lines[24].y, -1.0667f, 1e-4);
    for (std::size_t k = 1; k < lines.size(); ++k) {
        EXPECT_NEAR(lines[k - 1].y - lines[k].y, 23.0 / 300.0, 1e-6);
    }
}
