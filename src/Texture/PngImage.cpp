#include "Texture/PngImage.h"

#include <lodepng.h>

#include <stdexcept>

namespace GLutil {
namespace {

[[noreturn]] void refuse(const std::string& name, const std::string& why) {
    throw std::logic_error("decoding png " + name + " gave error: " + why);
}

[[noreturn]] void refuse(const std::string& name, unsigned error) {
    refuse(name, std::to_string(error) + " (" + lodepng_error_text(error) + ")");
}

}  // namespace

PngImage decodePng(const unsigned char* data, std::size_t size, const std::string& name) {
    lodepng::State state;
    // Text chunks are never used; not reading them saves their decompression.
    state.decoder.read_text_chunks = 0;
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // Lets the fuzzer past the checksums to the chunk contents.
    state.decoder.ignore_crc = 1;
    state.decoder.zlibsettings.ignore_adler32 = 1;
#endif
    PngImage image;
    unsigned width = 0;
    unsigned height = 0;
    if (const unsigned error = lodepng_inspect(&width, &height, &state, data, size))
        refuse(name, error);
    if (width > maxPngSide || height > maxPngSide || std::uint64_t{width} * height > maxPngPixels) {
        refuse(name, "the image is " + std::to_string(width) + " x " + std::to_string(height) +
                         " pixels, more than a texture may have (" + std::to_string(maxPngSide) +
                         " on a side, " + std::to_string(maxPngPixels) + " in all)");
    }
    // The decompressed rows of this image at 16 bits per channel with the filter bytes of all
    // seven interlace passes: a stream that inflates beyond this is refused instead of filling
    // memory.
    state.decoder.zlibsettings.max_output_size = static_cast<std::size_t>(
        std::uint64_t{width} * height * 8 + std::uint64_t{height} * 4 + 64);
    if (const unsigned error = lodepng::decode(image.pixels, width, height, state, data, size))
        refuse(name, error);
    image.width = width;
    image.height = height;
    return image;
}

PngImage readPng(const std::string& path, std::vector<unsigned char>& file) {
    file.clear();
    // Without the file's own error the decoder could only say "no data".
    if (const unsigned error = lodepng::load_file(file, path)) refuse(path, error);
    return decodePng(file.empty() ? nullptr : file.data(), file.size(), path);
}

PngImage readPng(const std::string& path) {
    std::vector<unsigned char> file;
    return readPng(path, file);
}

void writePng(const std::string& path, const PngImage& image) {
    if (const unsigned error = lodepng::encode(path, image.pixels, image.width, image.height))
        throw std::runtime_error("cannot write " + path + ": " + lodepng_error_text(error));
}

}  // namespace GLutil
