#include "Textures.h"

#include <lodepng.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace modelkit {
namespace {

float hash(int x, int y, std::uint32_t seed) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u +
                      static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return static_cast<float>(h & 0xffffffu) / static_cast<float>(0xffffff);
}

float smooth(float t) {
    return t * t * (3.0f - 2.0f * t);
}

float valueNoise(float x, float y, int period, std::uint32_t seed) {
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const float fx = smooth(x - static_cast<float>(x0)), fy = smooth(y - static_cast<float>(y0));
    auto at = [&](int i, int j) {
        return hash(((i % period) + period) % period, ((j % period) + period) % period, seed);
    };
    const float a = at(x0, y0), b = at(x0 + 1, y0), c = at(x0, y0 + 1), d = at(x0 + 1, y0 + 1);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

float clamp01(float v) {
    return std::clamp(v, 0.0f, 1.0f);
}
float fract(float v) {
    return v - std::floor(v);
}

}  // namespace

void Image::set(int x, int y, float r, float g, float b, float a) {
    const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                           static_cast<std::size_t>(x)) *
                          4;
    rgba[i] = static_cast<std::uint8_t>(std::lround(clamp01(r) * 255.0f));
    rgba[i + 1] = static_cast<std::uint8_t>(std::lround(clamp01(g) * 255.0f));
    rgba[i + 2] = static_cast<std::uint8_t>(std::lround(clamp01(b) * 255.0f));
    rgba[i + 3] = static_cast<std::uint8_t>(std::lround(clamp01(a) * 255.0f));
}

float tileNoise(float x, float y, int period, int octaves, std::uint32_t seed) {
    float sum = 0.0f, amp = 0.5f, norm = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * valueNoise(x, y, period, seed + static_cast<std::uint32_t>(o) * 97u);
        norm += amp;
        x *= 2.0f;
        y *= 2.0f;
        period *= 2;
        amp *= 0.5f;
    }
    return sum / norm;
}

void writePng(const Image& image, const std::string& path) {
    const unsigned err = lodepng::encode(path, image.rgba, static_cast<unsigned>(image.width),
                                         static_cast<unsigned>(image.height));
    if (err)
        throw std::runtime_error("writing texture " + path + " failed: " + lodepng_error_text(err));
}

// Chitin: a light grey to be tinted by the material colour, with fine mottling,
// tiny pits and darker seams where the body plates meet (along v).
Image antSkinTexture() {
    Image img(256, 256);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const float u = static_cast<float>(x) / 256.0f, v = static_cast<float>(y) / 256.0f;
            const float mottle = tileNoise(u * 8.0f, v * 8.0f, 8, 4, 11u);
            const float pits = tileNoise(u * 64.0f, v * 64.0f, 64, 1, 5u);
            const float band = fract(v * 5.0f);
            const float seam = std::exp(-std::pow((band - 0.5f) * 14.0f, 2.0f));
            float g = 0.78f + 0.22f * mottle - 0.18f * seam - (pits > 0.86f ? 0.12f : 0.0f);
            img.set(x, y, g, g * 0.97f, g * 0.95f);
        }
    return img;
}

// Strawberry skin: deep red that pales towards the stem, with rows of yellow seeds
// sitting in small dimples. u runs around the berry, v from the tip (0) to the top.
Image strawberryTexture() {
    Image img(256, 256);
    const float columns = 19.0f, rows = 15.0f;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const float u = static_cast<float>(x) / 256.0f, v = static_cast<float>(y) / 256.0f;
            const float n = tileNoise(u * 16.0f, v * 16.0f, 16, 3, 23u);
            float r = 0.78f + 0.15f * n, g = 0.05f + 0.05f * n, b = 0.06f + 0.03f * n;
            const float pale = clamp01((v - 0.82f) * 6.0f);
            r = r + (0.95f - r) * pale * 0.6f;
            g = g + (0.75f - g) * pale * 0.6f;
            b = b + (0.55f - b) * pale * 0.6f;
            // Staggered seed grid.
            const float row = v * rows;
            const float shift = (static_cast<int>(std::floor(row)) % 2) * 0.5f;
            const float cu = fract(u * columns + shift) - 0.5f, cv = fract(row) - 0.5f;
            const float d = std::sqrt(cu * cu * 1.0f + cv * cv * 0.6f);
            if (v < 0.92f) {
                if (d < 0.16f) {
                    const float t = 1.0f - d / 0.16f;
                    r = 0.85f + 0.1f * t;
                    g = 0.7f + 0.15f * t;
                    b = 0.25f;
                } else if (d < 0.28f) {
                    const float t = (d - 0.16f) / 0.12f;
                    r *= 0.55f + 0.45f * t;
                    g *= 0.6f + 0.4f * t;
                    b *= 0.6f + 0.4f * t;
                }
            }
            img.set(x, y, r, g, b);
        }
    return img;
}

// Weathered grey-blue stone with darker veins.
Image portalStoneTexture() {
    Image img(256, 256);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const float u = static_cast<float>(x) / 256.0f, v = static_cast<float>(y) / 256.0f;
            const float n = tileNoise(u * 6.0f, v * 6.0f, 6, 5, 41u);
            const float vein = std::abs(tileNoise(u * 4.0f, v * 4.0f, 4, 3, 77u) - 0.5f);
            float g = 0.42f + 0.35f * n - (vein < 0.03f ? 0.18f : 0.0f);
            img.set(x, y, g * 0.92f, g * 0.95f, g * 1.05f);
        }
    return img;
}

// Swirling energy: bright spiral streaks over a soft glow, mostly see-through.
Image portalEnergyTexture() {
    Image img(256, 256);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const float u = static_cast<float>(x) / 256.0f, v = static_cast<float>(y) / 256.0f;
            const float n = tileNoise(u * 8.0f, v * 4.0f, 8, 3, 3u);
            const float s = fract(u * 3.0f + v * 1.5f + 0.25f * n);
            const float streak = std::pow(0.5f + 0.5f * std::cos(6.2831853f * s), 6.0f);
            const float glow = 0.35f + 0.65f * streak;
            img.set(x, y, 0.35f + 0.65f * streak, 0.8f + 0.2f * streak, 1.0f,
                    0.25f + 0.6f * streak * (0.6f + 0.4f * n));
            (void)glow;
        }
    return img;
}

}  // namespace modelkit
