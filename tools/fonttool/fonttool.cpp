// Builds the game's signed-distance-field font from a TrueType file.
//
//   vx_fonttool FONT.ttf OUTDIR [pixelSize] [spread]
//
// writes into OUTDIR:
//   <font file name>_sdf.png  the atlas: one grey distance image per glyph, 128 on the edge
//   <font file name>_sdf.txt  an AngelCode BMFont text descriptor of the atlas ("chnl=" last)
//   <font stem>.txt           layout metrics, six integers per glyph: code point, box width,
//                             box height, x offset, y offset (both upwards from the pen on the
//                             baseline), advance; the box is the atlas rectangle, padding included
//
// The glyph set is every code point 32..255 the font has, plus the few above 255 a
// player may meet in a text (the Windows-1252 extras: euro sign, typographic quotes, dashes...).
// Output is deterministic, so rerunning the tool on the same font gives identical files.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_MODULE_H

#include <lodepng.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Glyph {
    std::uint32_t code = 0;
    int width = 0;  // bitmap size, padding included
    int height = 0;
    int left = 0;  // bitmap left edge relative to the pen
    int top = 0;   // bitmap top edge above the baseline
    int advance = 0;
    int atlasX = 0;
    int atlasY = 0;
    std::vector<unsigned char> pixels;  // rows top first
};

std::vector<std::uint32_t> wantedCodePoints() {
    std::vector<std::uint32_t> codes;
    for (std::uint32_t c = 32; c <= 255; ++c) {
        codes.push_back(c);
    }
    // Characters above Latin-1 that turn up in ordinary European text.
    const std::uint32_t extras[] = {
        0x0152, 0x0153, 0x0160, 0x0161, 0x0178, 0x017D, 0x017E, 0x0192, 0x02C6, 0x02DC,
        0x2013, 0x2014, 0x2018, 0x2019, 0x201A, 0x201C, 0x201D, 0x201E, 0x2020, 0x2021,
        0x2022, 0x2026, 0x2030, 0x2039, 0x203A, 0x20AC, 0x2122, 0x2212,
    };
    codes.insert(codes.end(), std::begin(extras), std::end(extras));
    return codes;
}

void check(FT_Error error, const std::string& what) {
    if (error != 0) {
        throw std::runtime_error(what + " failed with FreeType error " + std::to_string(error));
    }
}

int nextPowerOfTwo(int v) {
    int p = 1;
    while (p < v) {
        p *= 2;
    }
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 5) {
        std::cerr << "usage: " << argv[0] << " FONT.ttf OUTDIR [pixelSize=48] [spread=8]\n";
        return 2;
    }
    const std::filesystem::path fontPath = argv[1];
    const std::filesystem::path outDir = argv[2];
    const int pixelSize = argc > 3 ? std::stoi(argv[3]) : 48;
    FT_Int spread = argc > 4 ? std::stoi(argv[4]) : 8;
    const int gap = 2;  // empty pixels between atlas cells so bilinear lookups never bleed
    const int atlasWidth = 1024;

    try {
        FT_Library library = nullptr;
        check(FT_Init_FreeType(&library), "FT_Init_FreeType");
        check(FT_Property_Set(library, "sdf", "spread", &spread), "setting the sdf spread");
        FT_Face face = nullptr;
        check(FT_New_Face(library, fontPath.c_str(), 0, &face), "opening " + fontPath.string());
        check(FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)), "FT_Set_Pixel_Sizes");

        std::vector<Glyph> glyphs;
        for (std::uint32_t code : wantedCodePoints()) {
            const FT_UInt index = FT_Get_Char_Index(face, code);
            if (index == 0) {
                continue;  // the font has no glyph for it (e.g. the C1 controls 127..159)
            }
            check(FT_Load_Glyph(face, index, FT_LOAD_DEFAULT),
                  "loading glyph " + std::to_string(code));
            Glyph g;
            g.code = code;
            g.advance = static_cast<int>((face->glyph->advance.x + 32) >> 6);
            if (face->glyph->outline.n_contours > 0) {
                check(FT_Render_Glyph(face->glyph, FT_RENDER_MODE_SDF),
                      "rendering glyph " + std::to_string(code));
                const FT_Bitmap& bm = face->glyph->bitmap;
                g.width = static_cast<int>(bm.width);
                g.height = static_cast<int>(bm.rows);
                g.left = face->glyph->bitmap_left;
                g.top = face->glyph->bitmap_top;
                g.pixels.resize(static_cast<std::size_t>(g.width) * g.height);
                for (int row = 0; row < g.height; ++row) {
                    std::copy_n(bm.buffer + row * bm.pitch, g.width,
                                g.pixels.begin() + row * g.width);
                }
            }
            glyphs.push_back(std::move(g));
        }

        // Shelf packing, tallest glyphs first, so the shelves waste little height.
        std::vector<Glyph*> order;
        for (auto& g : glyphs) {
            order.push_back(&g);
        }
        std::stable_sort(order.begin(), order.end(),
                         [](const Glyph* a, const Glyph* b) { return a->height > b->height; });
        int x = gap;
        int y = gap;
        int shelfHeight = 0;
        for (Glyph* g : order) {
            if (x + g->width + gap > atlasWidth) {
                x = gap;
                y += shelfHeight + gap;
                shelfHeight = 0;
            }
            g->atlasX = x;
            g->atlasY = y;
            x += g->width + gap;
            shelfHeight = std::max(shelfHeight, g->height);
        }
        const int atlasHeight = nextPowerOfTwo(y + shelfHeight + gap);

        std::vector<unsigned char> atlas(static_cast<std::size_t>(atlasWidth) * atlasHeight, 0);
        for (const Glyph& g : glyphs) {
            for (int row = 0; row < g.height; ++row) {
                std::copy_n(g.pixels.begin() + row * g.width, g.width,
                            atlas.begin() + (g.atlasY + row) * atlasWidth + g.atlasX);
            }
        }

        std::filesystem::create_directories(outDir);
        const std::string fontFile = fontPath.filename().string();
        const std::string atlasName = fontFile + "_sdf.png";
        const unsigned pngError = lodepng::encode((outDir / atlasName).string(), atlas, atlasWidth,
                                                  atlasHeight, LCT_GREY, 8);
        if (pngError != 0) {
            throw std::runtime_error("writing " + atlasName + ": " + lodepng_error_text(pngError));
        }

        const int ascender = static_cast<int>((face->size->metrics.ascender + 32) >> 6);
        const int lineHeight = static_cast<int>((face->size->metrics.height + 32) >> 6);
        std::ofstream desc(outDir / (fontFile + "_sdf.txt"));
        desc << "info face=\"" << face->family_name << "\" size=" << pixelSize
             << " bold=0 italic=0 charset=\"\" unicode=1 stretchH=100 smooth=1 aa=1 padding="
             << spread << ',' << spread << ',' << spread << ',' << spread << " spacing=" << gap
             << ',' << gap << "\n";
        desc << "common lineHeight=" << lineHeight << " base=" << ascender
             << " scaleW=" << atlasWidth << " scaleH=" << atlasHeight << " pages=1 packed=0\n";
        desc << "page id=0 file=\"" << atlasName << "\"\n";
        desc << "chars count=" << glyphs.size() << "\n";
        for (const Glyph& g : glyphs) {
            desc << "char id=" << g.code << " x=" << g.atlasX << " y=" << g.atlasY
                 << " width=" << g.width << " height=" << g.height << " xoffset=" << g.left
                 << " yoffset=" << ascender - g.top << " xadvance=" << g.advance
                 << " page=0 chnl=15\n";
        }

        std::ofstream metrics(outDir / (fontPath.stem().string() + ".txt"));
        for (const Glyph& g : glyphs) {
            metrics << g.code << ' ' << g.width << ' ' << g.height << ' ' << g.left << ' '
                    << g.top - g.height << ' ' << g.advance << "\n";
        }
        if (!desc || !metrics) {
            throw std::runtime_error("writing the font files into " + outDir.string());
        }

        std::cout << "wrote " << glyphs.size() << " glyphs, atlas " << atlasWidth << " x "
                  << atlasHeight << ", size " << pixelSize << " px, spread " << spread << " px\n";
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    } catch (const std::exception& e) {
        std::cerr << "vx_fonttool: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
