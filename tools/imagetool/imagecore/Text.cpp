#include "imagecore/Text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <climits>
#include <stdexcept>

namespace vximg {

std::u32string decodeUtf8(const std::string& text) {
    std::u32string out;
    std::size_t i = 0;
    auto bad = [&](std::size_t at) {
        return std::invalid_argument("invalid UTF-8 in text \"" + text + "\" at byte " +
                                     std::to_string(at));
    };
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xe0) == 0xc0) {
            extra = 1;
            cp = lead & 0x1f;
        } else if ((lead & 0xf0) == 0xe0) {
            extra = 2;
            cp = lead & 0x0f;
        } else if ((lead & 0xf8) == 0xf0) {
            extra = 3;
            cp = lead & 0x07;
        } else {
            throw bad(i);
        }
        if (i + static_cast<std::size_t>(extra) >= text.size() && extra > 0) throw bad(i);
        for (int k = 1; k <= extra; ++k) {
            const auto cont = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((cont & 0xc0) != 0x80) throw bad(i);
            cp = (cp << 6) | (cont & 0x3f);
        }
        // Overlong forms and surrogates are not text.
        static constexpr char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < minimum[extra] || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)) throw bad(i);
        out.push_back(cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

struct Font::Impl {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    std::string path;

    void setSize(int pixelSize) const {
        if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0)
            throw std::runtime_error("setting size " + std::to_string(pixelSize) + " on font " +
                                     path + " failed");
    }
    FT_UInt glyphIndex(char32_t cp) const {
        const FT_UInt index = FT_Get_Char_Index(face, cp);
        if (index == 0)
            throw std::runtime_error("font " + path + " has no glyph for U+" + std::to_string(cp));
        return index;
    }
    long kerning(FT_UInt left, FT_UInt right) const {
        if (!FT_HAS_KERNING(face) || left == 0) return 0;
        FT_Vector k{};
        FT_Get_Kerning(face, left, right, FT_KERNING_DEFAULT, &k);
        return k.x;
    }
    void load(FT_UInt index, bool renderBitmap) const {
        if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_NO_HINTING) != 0)
            throw std::runtime_error("loading a glyph of font " + path + " failed");
        if (renderBitmap && FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0)
            throw std::runtime_error("rendering a glyph of font " + path + " failed");
    }
};

Font::Font(const std::string& path) : impl(std::make_unique<Impl>()) {
    impl->path = path;
    if (FT_Init_FreeType(&impl->library) != 0)
        throw std::runtime_error("initialising FreeType failed");
    if (const FT_Error err = FT_New_Face(impl->library, path.c_str(), 0, &impl->face); err != 0) {
        FT_Done_FreeType(impl->library);
        throw std::runtime_error("opening font " + path + " failed (FreeType error " +
                                 std::to_string(err) +
                                 "); the fonts-freefont-ttf package provides it");
    }
}

Font::~Font() {
    FT_Done_Face(impl->face);
    FT_Done_FreeType(impl->library);
}

int Font::measure(const std::string& utf8, int pixelSize) const {
    impl->setSize(pixelSize);
    long pen = 0;
    FT_UInt previous = 0;
    for (const char32_t cp : decodeUtf8(utf8)) {
        const FT_UInt index = impl->glyphIndex(cp);
        pen += impl->kerning(previous, index);
        impl->load(index, false);
        pen += impl->face->glyph->advance.x;
        previous = index;
    }
    return static_cast<int>((pen + 32) / 64);
}

int Font::fitSize(const std::string& utf8, int maxSize, int maxWidth) const {
    int size = maxSize;
    while (size > 4 && measure(utf8, size) > maxWidth) --size;
    return size;
}

TextMask Font::render(const std::string& utf8, int pixelSize, int padding) const {
    impl->setSize(pixelSize);
    struct Placed {
        Field bitmap;
        int left;
        int top;
    };
    std::vector<Placed> glyphs;
    long pen = 0;
    FT_UInt previous = 0;
    int minX = INT_MAX, maxX = INT_MIN, minY = INT_MAX, maxY = INT_MIN;
    for (const char32_t cp : decodeUtf8(utf8)) {
        const FT_UInt index = impl->glyphIndex(cp);
        pen += impl->kerning(previous, index);
        impl->load(index, true);
        const FT_GlyphSlot slot = impl->face->glyph;
        const FT_Bitmap& bm = slot->bitmap;
        if (bm.width > 0 && bm.rows > 0) {
            Placed g{Field(static_cast<int>(bm.width), static_cast<int>(bm.rows)),
                     static_cast<int>((pen + 32) / 64) + slot->bitmap_left, slot->bitmap_top};
            for (unsigned r = 0; r < bm.rows; ++r)
                for (unsigned c = 0; c < bm.width; ++c)
                    g.bitmap.at(static_cast<int>(c), static_cast<int>(r)) =
                        static_cast<float>(bm.buffer[static_cast<long>(r) * bm.pitch + c]) / 255.0f;
            minX = std::min(minX, g.left);
            maxX = std::max(maxX, g.left + static_cast<int>(bm.width));
            minY = std::min(minY, -g.top);
            maxY = std::max(maxY, -g.top + static_cast<int>(bm.rows));
            glyphs.push_back(std::move(g));
        }
        pen += slot->advance.x;
        previous = index;
    }
    TextMask mask;
    mask.advance = static_cast<int>((pen + 32) / 64);
    if (glyphs.empty()) {
        mask.coverage = Field(1 + 2 * padding, 1 + 2 * padding);
        mask.baseline = padding;
        return mask;
    }
    // The mask starts at pen position 0 so that centring uses the advance, not the ink.
    minX = std::min(minX, 0);
    maxX = std::max(maxX, mask.advance);
    mask.coverage = Field(maxX - minX + 2 * padding, maxY - minY + 2 * padding);
    mask.baseline = padding - minY;
    for (const Placed& g : glyphs)
        for (int r = 0; r < g.bitmap.height(); ++r)
            for (int c = 0; c < g.bitmap.width(); ++c) {
                float& dst =
                    mask.coverage.at(g.left - minX + padding + c, mask.baseline - g.top + r);
                dst = std::min(1.0f, dst + g.bitmap.at(c, r));
            }
    return mask;
}

glm::ivec2 maskOrigin(const TextMask& mask, TextPlacement at) {
    return {static_cast<int>(at.centreX - static_cast<float>(mask.coverage.width()) * 0.5f),
            static_cast<int>(at.baselineY) - mask.baseline};
}

}  // namespace vximg
