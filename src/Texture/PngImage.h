#pragma once
// PNG decoding without a graphics context: the part of a texture load that reads what a user
// can replace (any file under res/), kept apart so it can be checked on its own.
//
//   decodePng(data, size, name)  decodes PNG bytes into 8-bit RGBA rows, top row first.
//   readPng(path)                reads the file and decodes it; the overload with a vector
//                                also hands back the file's bytes.
//   writePng(path, image)        encodes and writes it; std::runtime_error naming the file.
// Every failure throws std::logic_error "decoding png <name> gave error: " followed by the
// decoder's code and reason, or by the size limit for an image above it. The limit is checked
// on the header before any pixel is decoded, so a small file cannot ask for gigabytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace GLutil {

struct PngImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<unsigned char> pixels;  // width × height × 4 bytes
};

// Far above every texture the game ships (2048 × 1536) and below any graphics card's limit.
inline constexpr std::uint32_t maxPngSide = 8192;
inline constexpr std::uint64_t maxPngPixels = std::uint64_t{4096} * 4096;

PngImage decodePng(const unsigned char* data, std::size_t size, const std::string& name);
PngImage readPng(const std::string& path);
PngImage readPng(const std::string& path, std::vector<unsigned char>& file);
void writePng(const std::string& path, const PngImage& image);

}  // namespace GLutil
