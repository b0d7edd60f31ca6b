#include "Manager/TextManager/FontData.h"

#include "Manager/TextManager/CParser.h"

#include <utf8.h>

#include <charconv>
#include <cmath>
#include <istream>
#include <iterator>
#include <limits>
#include <stdexcept>

namespace VX3D {

namespace {

enum DescriptorKey {
    keyId = 1,
    keyX,
    keyY,
    keyWidth,
    keyHeight,
    keyXOffset,
    keyYOffset,
    keyXAdvance,
    keyPage,
    keyChnl,
};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::runtime_error badValue(const std::string& fileName, const std::string& key,
                            std::string_view value) {
    return std::runtime_error("font descriptor " + fileName + ": the value of \"" + key +
                              "\" is not a number: \"" + std::string(value) + "\"");
}

// The leading whole number of a value (the run may go on past a line end).
std::int32_t integerValue(std::string_view value, const std::string& fileName,
                          const std::string& key) {
    std::int32_t result = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), result);
    if (error != std::errc() || end == value.data()) {
        throw badValue(fileName, key, value);
    }
    return result;
}

// The leading decimal number of a value, truncated towards zero.
std::int32_t truncatedValue(std::string_view value, const std::string& fileName,
                            const std::string& key) {
    double result = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), result);
    if (error != std::errc() || end == value.data() || !(std::fabs(result) < 2147483647.0)) {
        throw badValue(fileName, key, value);
    }
    return static_cast<std::int32_t>(result);
}

}  // namespace

std::vector<GlyphDescriptor> parseFontDescriptor(std::string_view text, std::uint32_t atlasWidth,
                                                 std::uint32_t atlasHeight,
                                                 const std::string& fileName) {
    CParser parser;
    const char* const keywords[] = {"id=",      "x=",       "y=",        "width=", "height=",
                                    "xoffset=", "yoffset=", "xadvance=", "page=",  "chnl="};
    for (int id = keyId; id <= keyChnl; ++id) {
        parser.addToken(id, keywords[id - 1]);
    }
    parser.reset();

    std::vector<GlyphDescriptor> result;
    GlyphDescriptor current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int key = parser.feed(text[i]);
        if (key == 0) {
            continue;
        }
        std::size_t end = i + 1;
        while (end < text.size() && !isBlank(text[end])) {
            ++end;
        }
        const std::string_view value = text.substr(i + 1, end - i - 1);
        const std::string keyword = keywords[key - 1];
        switch (key) {
            case keyId:
                current.id = integerValue(value, fileName, keyword);
                break;
            case keyX:
                current.x = integerValue(value, fileName, keyword);
                break;
            case keyY:
                current.y = integerValue(value, fileName, keyword);
                break;
            case keyWidth:
                current.width = integerValue(value, fileName, keyword);
                break;
            case keyHeight:
                current.height = integerValue(value, fileName, keyword);
                break;
            case keyXOffset:
                current.xoffset = truncatedValue(value, fileName, keyword);
                break;
            case keyYOffset:
                current.yoffset = truncatedValue(value, fileName, keyword);
                break;
            case keyXAdvance:
                current.xadvance = truncatedValue(value, fileName, keyword);
                break;
            case keyPage:
                current.page = integerValue(value, fileName, keyword);
                break;
            case keyChnl: {
                current.chnl = integerValue(value, fileName, keyword);
                const float w = static_cast<float>(atlasWidth);
                const float h = static_cast<float>(atlasHeight);
                // In 64 bits: a rectangle near the end of the int range must not overflow.
                current.uMin = static_cast<float>(current.x) / w;
                current.uMax = static_cast<float>(std::int64_t{current.x} + current.width) / w;
                current.vMin = static_cast<float>(current.y) / h;
                current.vMax = static_cast<float>(std::int64_t{current.y} + current.height) / h;
                result.push_back(current);
                break;
            }
            default:
                break;
        }
    }
    return result;
}

std::map<std::int32_t, GlyphMetrics> readFontMetrics(std::istream& in,
                                                     const std::string& fileName) {
    std::map<std::int32_t, GlyphMetrics> metrics;
    std::size_t entries = 0;
    while (true) {
        GlyphMetrics g;
        if (!(in >> g.code)) {
            if (in.eof() && !in.bad()) {
                break;
            }
            throw std::runtime_error("font metrics " + fileName + ": entry " +
                                     std::to_string(entries + 1) +
                                     " does not start with a code point number");
        }
        if (!(in >> g.width >> g.height >> g.xOffset >> g.yOffset >> g.advance)) {
            throw std::runtime_error(
                "font metrics " + fileName + ": the entry of code point " + std::to_string(g.code) +
                " needs six whole numbers (code, width, height, x offset, y offset, advance)");
        }
        metrics.emplace(g.code, g);
        ++entries;
    }
    return metrics;
}

LineBox computeLineBox(const std::map<std::int32_t, GlyphMetrics>& metrics,
                       const std::string& fileName) {
    LineBox box{std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min()};
    for (const auto& [code, g] : metrics) {
        if (code < 0 || code > 255) {
            continue;
        }
        const std::int64_t top = std::int64_t{g.height} + g.yOffset;
        if (top > std::numeric_limits<std::int32_t>::max() ||
            top < std::numeric_limits<std::int32_t>::min()) {
            throw std::runtime_error(
                "font metrics " + fileName + ": the glyph of code point " + std::to_string(code) +
                " reaches beyond the number range (height " + std::to_string(g.height) +
                ", y offset " + std::to_string(g.yOffset) + ")");
        }
        box.bottom = std::min(box.bottom, g.yOffset);
        box.top = std::max(box.top, static_cast<std::int32_t>(top));
    }
    if (box.top <= box.bottom) {
        throw std::runtime_error("font metrics " + fileName +
                                 ": no glyph of the code points 0..255 with a height");
    }
    return box;
}

TextGeometry layoutText(const FontTables& font, int anchor, glm::vec2 position, float size,
                        std::string_view text) {
    std::vector<char32_t> codes;
    utf8::utf8to32(text.begin(), text.end(), std::back_inserter(codes));

    TextGeometry geometry;
    geometry.positions.reserve(codes.size() * 6);
    geometry.texCoords.reserve(codes.size() * 6);
    std::int64_t pen = 0;
    for (char32_t c : codes) {
        const auto metric = font.metrics.find(static_cast<std::int32_t>(c));
        if (metric == font.metrics.end()) {
            throw std::logic_error("glyph not available in fontdrawinfo");
        }
        const GlyphMetrics& m = metric->second;
        const auto descriptor = font.descriptors.find(static_cast<std::int32_t>(c));
        if (descriptor == font.descriptors.end()) {
            throw std::logic_error("char not found");
        }
        const GlyphDescriptor& d = descriptor->second;
        const float x = static_cast<float>(pen + m.xOffset);
        const float y = static_cast<float>(m.yOffset);
        const float w = static_cast<float>(m.width);
        const float h = static_cast<float>(m.height);
        // Image rows run downwards, layout y upwards: the glyph's bottom takes vMax.
        const glm::vec4 corners[6] = {{x, y, 0, 1}, {x + w, y + h, 0, 1}, {x, y + h, 0, 1},
                                      {x, y, 0, 1}, {x + w, y, 0, 1},     {x + w, y + h, 0, 1}};
        const glm::vec2 uvs[6] = {{d.uMin, d.vMax}, {d.uMax, d.vMin}, {d.uMin, d.vMin},
                                  {d.uMin, d.vMax}, {d.uMax, d.vMax}, {d.uMax, d.vMin}};
        geometry.positions.insert(geometry.positions.end(), std::begin(corners), std::end(corners));
        geometry.texCoords.insert(geometry.texCoords.end(), std::begin(uvs), std::end(uvs));
        pen += m.advance;
    }

    const float lineBottom = static_cast<float>(font.line.bottom);
    const float lineHeight = static_cast<float>(std::int64_t{font.line.top} - font.line.bottom);
    const float width = static_cast<float>(pen);
    const float s = size / lineHeight;
    float hx = 0;
    float vy = 0;
    if (anchor >= 0 && anchor <= 8) {
        const int column = anchor % 3;
        const int row = anchor / 3;
        hx = column == 1 ? -0.5f * width * s : column == 2 ? -width * s : 0.0f;
        vy = row == 1 ? -0.5f * size : row == 2 ? -size : 0.0f;
    }
    // translate(position + offsets) × scale(s, s, 1) × translate(0, -lineBottom, 0)
    const auto toScreen = [&](float lx, float ly) {
        return glm::vec2(position.x + hx + s * lx, position.y + vy + s * (ly - lineBottom));
    };
    for (glm::vec4& p : geometry.positions) {
        const glm::vec2 screen = toScreen(p.x, p.y);
        p.x = screen.x;
        p.y = screen.y;
    }
    geometry.boxMin = toScreen(0.0f, lineBottom);
    geometry.boxMax = toScreen(width, static_cast<float>(font.line.top));
    return geometry;
}

}  // namespace VX3D
