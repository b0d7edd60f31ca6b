// Sprites and effect textures: the fog particle and the portals' energy.
#include "images/Images.h"

#include "imagecore/Noise.h"
#include "imagecore/Ramp.h"

#include <glm/common.hpp>
#include <glm/geometric.hpp>

#include <cmath>

namespace vximg {

namespace {

constexpr float kTwoPi = 6.28318530717958647692f;

glm::vec2 uvOf(int x, int y, int w, int h) {
    return {(static_cast<float>(x) + 0.5f) / static_cast<float>(w),
            (static_cast<float>(y) + 0.5f) / static_cast<float>(h)};
}

// Swirling energy on a tile: bands that wind around diagonally (integer wave
// numbers keep them periodic), bent by warped noise, with hot filaments. The
// alpha follows the brightness so the cone shows through between bands.
Image paintEnergy(int width, int height, glm::vec3 tint, std::uint32_t seed) {
    const Fbm warpA{{3, 3}, 4, 0.5f, NoiseKind::Gradient, seed};
    const Fbm warpB{{3, 3}, 4, 0.5f, NoiseKind::Gradient, seed + 1};
    const Fbm detail{{6, 6}, 4, 0.55f, NoiseKind::Gradient, seed + 2};
    Image out(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const glm::vec2 uv = uvOf(x, y, width, height);
            const glm::vec2 warped = uv + 0.12f * glm::vec2(warpA(uv), warpB(uv));
            const float phase = kTwoPi * (2.0f * uv.x + 3.0f * uv.y) + 5.0f * warpA(warped);
            const float band = 0.5f + 0.5f * std::sin(phase);
            const float filament =
                std::pow(1.0f - std::fabs(std::sin(phase * 0.5f + 2.0f * detail(warped))), 12.0f);
            const float cloud = 0.5f + 0.5f * detail(warped);
            const float energy =
                glm::clamp(0.15f + 0.55f * std::pow(band, 2.0f) * (0.5f + cloud) + 0.7f * filament,
                           0.0f, 1.2f);
            const glm::vec3 c =
                tint * std::min(energy, 1.0f) +
                glm::vec3(std::pow(std::max(energy - 0.6f, 0.0f) / 0.6f, 2.0f) * 0.8f);
            const float a = glm::clamp(0.25f + 0.7f * energy, 0.0f, 1.0f);
            out.at(x, y) = glm::vec4(glm::clamp(c, 0.0f, 1.0f), a);
        }
    return out;
}

}  // namespace

Image makeFog(int width, int height) {
    // A soft puff: a radial fall-off that reaches zero well inside the sprite's
    // border, broken up by cloudy noise so 20000 overlapping sprites do not show
    // their round outline.
    const Fbm puff{{4, 4}, 5, 0.55f, NoiseKind::Gradient, 71};
    Image out(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const glm::vec2 uv = uvOf(x, y, width, height);
            const glm::vec2 q = uv * 2.0f - 1.0f;
            const float r = glm::length(q);
            const float n = 0.5f + 0.5f * puff(uv);
            const float falloff = std::pow(smoothstep(0.98f, 0.05f, r + 0.25f * (n - 0.5f)), 1.4f);
            const float a =
                glm::clamp(falloff * (0.45f + 0.75f * n), 0.0f, 1.0f) * smoothstep(1.0f, 0.9f, r);
            const float shade = 0.86f + 0.14f * n - 0.05f * q.y;
            out.at(x, y) = glm::vec4(glm::vec3(shade * 0.97f, shade * 0.98f, shade), a * 0.85f);
        }
    return out;
}

Image makeEnergyGreen(int width, int height) {
    return paintEnergy(width, height, {0.18f, 1.0f, 0.36f}, 81);
}

Image makeEnergyMagenta(int width, int height) {
    return paintEnergy(width, height, {1.0f, 0.22f, 0.86f}, 84);
}

Image makeEnergyTurquoise(int width, int height) {
    return paintEnergy(width, height, {0.16f, 0.94f, 0.92f}, 87);
}

}  // namespace vximg
