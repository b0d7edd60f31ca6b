#include "imagecore/Png.h"

#include "imagecore/Noise.h"

#include <lodepng.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace vximg {

namespace {

unsigned char quantise(float v, float offset) {
    const float scaled = std::clamp(v, 0.0f, 1.0f) * 255.0f + offset;
    return static_cast<unsigned char>(std::clamp(std::floor(scaled + 0.5f), 0.0f, 255.0f));
}

}  // namespace

std::vector<unsigned char> toBytes(const Image& image, const PngOptions& options) {
    std::vector<unsigned char> bytes;
    bytes.reserve(image.data().size() * 4);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const glm::vec4 c = image.at(x, y);
            // Triangular dither from two hashes: mean 0, spread one step.
            const float d = options.dither
                                ? hashUnit(x, y, 7, 0xd17eu) + hashUnit(x, y, 8, 0xd17eu) - 1.0f
                                : 0.0f;
            switch (options.channels) {
                case PngChannels::Gray: {
                    const unsigned char g = quantise(c.r, d);
                    bytes.insert(bytes.end(), {g, g, g, 255});
                    break;
                }
                case PngChannels::Rgb:
                    bytes.insert(bytes.end(),
                                 {quantise(c.r, d), quantise(c.g, d), quantise(c.b, d), 255});
                    break;
                case PngChannels::Rgba:
                    bytes.insert(bytes.end(), {quantise(c.r, d), quantise(c.g, d), quantise(c.b, d),
                                               quantise(c.a, 0.0f)});
                    break;
            }
        }
    return bytes;
}

void writePng(const std::string& path, const Image& image, const PngOptions& options) {
    const std::vector<unsigned char> bytes = toBytes(image, options);
    lodepng::State state;
    state.info_raw.colortype = LCT_RGBA;
    state.info_raw.bitdepth = 8;
    state.info_png.color.bitdepth = 8;
    state.info_png.color.colortype = options.channels == PngChannels::Gray  ? LCT_GREY
                                     : options.channels == PngChannels::Rgb ? LCT_RGB
                                                                            : LCT_RGBA;
    state.encoder.auto_convert = 0;
    state.encoder.zlibsettings.windowsize = 32768;
    std::vector<unsigned char> png;
    const unsigned err = lodepng::encode(png, bytes, static_cast<unsigned>(image.width()),
                                         static_cast<unsigned>(image.height()), state);
    if (err != 0)
        throw std::runtime_error("encoding PNG " + path + " failed: " + lodepng_error_text(err));
    const unsigned saveErr = lodepng::save_file(png, path);
    if (saveErr != 0)
        throw std::runtime_error("writing PNG " + path + " failed: " + lodepng_error_text(saveErr));
}

PngPixels readPng(const std::string& path) {
    std::vector<unsigned char> file;
    // lodepng leaves the vector as it was when the file cannot be read.
    if (lodepng::load_file(file, path) != 0 || file.empty())
        throw std::runtime_error("reading PNG " + path + " failed: cannot read the file");
    PngPixels out;
    const unsigned err = lodepng::decode(out.rgba, out.width, out.height, file);
    if (err != 0)
        throw std::runtime_error("decoding PNG " + path + " failed: " + lodepng_error_text(err));
    return out;
}

}  // namespace vximg
