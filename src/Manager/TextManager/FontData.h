#pragma once
// The signed-distance-field font as the text overlay reads it, and the layout of one line of
// text: all of it plain CPU work, independent of the graphics library.
//
// Two files describe the font: an AngelCode BMFont text descriptor with each glyph's rectangle
// in the atlas texture, and a metrics file with each glyph's layout box (offsets and heights
// measured upwards from the pen on the baseline) and advance.
#include <glm/glm.hpp>

#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace VX3D {

// One "char" line of the descriptor, with its rectangle as texture coordinates.
struct GlyphDescriptor {
    std::int32_t id = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t xoffset = 0;
    std::int32_t yoffset = 0;
    std::int32_t xadvance = 0;
    std::int32_t page = 0;
    std::int32_t chnl = 0;
    float uMin = 0;
    float uMax = 0;
    float vMin = 0;
    float vMax = 0;
};

// One glyph of the metrics file.
struct GlyphMetrics {
    std::int32_t code = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t xOffset = 0;
    std::int32_t yOffset = 0;
    std::int32_t advance = 0;
};

// Reads the glyph descriptors of a BMFont text file's contents for an atlas of
// atlasWidth × atlasHeight pixels. A descriptor is formed each time "chnl=" completes, from the
// values last read for id, x, y, width, height, xoffset, yoffset, xadvance and page; a value
// runs from its "=" to the next blank. A value that does not start with a number raises
// std::runtime_error naming the file and the key. Returns no descriptor when no "chnl=" occurs.
std::vector<GlyphDescriptor> parseFontDescriptor(std::string_view text, std::uint32_t atlasWidth,
                                                 std::uint32_t atlasHeight,
                                                 const std::string& fileName);

// Reads six integers per glyph until the stream ends; the first entry of a code point counts.
// A token that is not a number or an incomplete last entry raises std::runtime_error naming
// the file.
std::map<std::int32_t, GlyphMetrics> readFontMetrics(std::istream& in, const std::string& fileName);

// The line box of the font: the lowest glyph bottom and the highest glyph top over the code
// points 0..255 (glyphs above 255 do not change it).
struct LineBox {
    std::int32_t bottom = 0;
    std::int32_t top = 0;
};
// Raises std::runtime_error naming the file when no glyph of 0..255 is there or the box is empty.
LineBox computeLineBox(const std::map<std::int32_t, GlyphMetrics>& metrics,
                       const std::string& fileName);

struct FontTables {
    std::map<std::int32_t, GlyphDescriptor> descriptors;
    std::map<std::int32_t, GlyphMetrics> metrics;
    LineBox line;
};

// A line of text as triangles in screen coordinates (normalised device coordinates), two
// triangles (six vertices) per glyph, with the layout box it was placed by.
struct TextGeometry {
    std::vector<glm::vec4> positions;
    std::vector<glm::vec2> texCoords;
    glm::vec2 boxMin{0.0f};  // the line box on screen: pen 0 .. width, lineBottom .. lineTop
    glm::vec2 boxMax{0.0f};
};

// Lays out UTF-8 text (malformed input raises utfcpp's exceptions) on one line.
// anchor 0..8: column anchor % 3 (0 left edge, 1 centre, 2 right edge at position.x), row
// anchor / 3 (0 line bottom, 1 centre, 2 line top at position.y); other values place the line
// bottom-left. size is the line height in screen units. A code point without metrics raises
// std::logic_error "glyph not available in fontdrawinfo", one without descriptor "char not found".
TextGeometry layoutText(const FontTables& font, int anchor, glm::vec2 position, float size,
                        std::string_view text);

}  // namespace VX3D
