#pragma once
// Procedural material textures for the models (tileable value noise and patterns),
// written as 8-bit RGBA PNG files.
#include <cstdint>
#include <string>
#include <vector>

namespace modelkit {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // first row first
    Image(int w, int h) : width(w), height(h), rgba(static_cast<std::size_t>(w * h * 4), 0) {}
    void set(int x, int y, float r, float g, float b, float a = 1.0f);
};

// Fractal value noise in [0, 1], periodic with `period` cells on both axes.
float tileNoise(float x, float y, int period, int octaves, std::uint32_t seed);

void writePng(const Image& image, const std::string& path);

Image antSkinTexture();
Image strawberryTexture();
Image portalStoneTexture();
Image portalEnergyTexture();

}  // namespace modelkit
