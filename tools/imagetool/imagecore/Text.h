// Text as coverage masks, rendered with FreeType from the system's FreeFont
// faces. The masks are then coloured, outlined and glowed by the image code.
#pragma once

#include "imagecore/Image.h"

#include <memory>
#include <string>

namespace vximg {

inline constexpr const char* kFontSans = "/usr/share/fonts/truetype/freefont/FreeSans.ttf";
inline constexpr const char* kFontSansBold = "/usr/share/fonts/truetype/freefont/FreeSansBold.ttf";

// Decodes UTF-8; throws std::invalid_argument naming the byte offset of a bad sequence.
std::u32string decodeUtf8(const std::string& text);

// A line of text rendered into a mask: coverage 0..1, with `padding` empty
// pixels around the ink box. `baseline` is the row of the baseline in the mask,
// `advance` the pen advance of the whole line in pixels.
struct TextMask {
    Field coverage;
    int baseline = 0;
    int advance = 0;
};

class Font {
public:
    // Throws std::runtime_error naming the file when it cannot be opened.
    explicit Font(const std::string& path);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // Pen advance of the line at the pixel size, kerning included.
    int measure(const std::string& utf8, int pixelSize) const;
    // The largest pixel size (up to maxSize) at which the line fits maxWidth.
    int fitSize(const std::string& utf8, int maxSize, int maxWidth) const;
    TextMask render(const std::string& utf8, int pixelSize, int padding) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};

// Where to put a text: its centre x and its baseline y in the target image.
struct TextPlacement {
    float centreX = 0.0f;
    float baselineY = 0.0f;
};

// Pixel position of the mask's (0, 0) for the placement.
glm::ivec2 maskOrigin(const TextMask& mask, TextPlacement at);

}  // namespace vximg
