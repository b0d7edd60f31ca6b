// PNG output and input of the float images (8 bits per channel).
#pragma once

#include "imagecore/Image.h"

#include <string>

namespace vximg {

enum class PngChannels { Gray, Rgb, Rgba };

struct PngOptions {
    PngChannels channels = PngChannels::Rgba;
    // Adds a fixed, position-hashed sub-LSB offset before rounding so smooth
    // gradients (sky, glows) do not band; still fully reproducible.
    bool dither = false;
};

// Converts to 8-bit sRGB-coded bytes exactly as written (rounded, clamped),
// four bytes per pixel; the PNG holds the channels the options ask for.
std::vector<unsigned char> toBytes(const Image& image, const PngOptions& options);

// Throws std::runtime_error naming the file when encoding or writing fails.
void writePng(const std::string& path, const Image& image, const PngOptions& options);

// Reads any PNG as 8-bit RGBA; throws std::runtime_error naming the file.
struct PngPixels {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<unsigned char> rgba;
};
PngPixels readPng(const std::string& path);

}  // namespace vximg
