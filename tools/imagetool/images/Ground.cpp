// The field's ground: a meadow of grass blades with its matching specular
// map, and the gentle relief the floor is displaced by and the ants stand on.
#include "images/Images.h"

#include "imagecore/Draw.h"
#include "imagecore/Noise.h"
#include "imagecore/Ramp.h"

#include <glm/common.hpp>
#include <glm/geometric.hpp>

#include <cmath>

namespace vximg {

namespace {

constexpr float kPi = 3.14159265358979f;

struct Meadow {
    Image color;
    Image shine;
};

// Colour and shine are painted by the same strokes, so a bright specular
// fleck always sits on a blade tip, never on the soil between blades.
Meadow paintMeadow(int w, int h) {
    Meadow m{Image(w, h), Image(w, h)};
    const float scale = static_cast<float>(w) / 512.0f;
    const Fbm soilNoise{{4, 4}, 5, 0.55f, NoiseKind::Gradient, 11};
    const Fbm patchNoise{{2, 2}, 3, 0.5f, NoiseKind::Gradient, 12};
    const ColorRamp soil{{0.0f, rgb(28, 30, 12)}, {0.5f, rgb(44, 54, 18)}, {1.0f, rgb(62, 70, 26)}};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const glm::vec2 uv((static_cast<float>(x) + 0.5f) / static_cast<float>(w),
                               (static_cast<float>(y) + 0.5f) / static_cast<float>(h));
            m.color.at(x, y) = soil(0.5f + 0.5f * soilNoise(uv));
            m.shine.at(x, y) = glm::vec4(glm::vec3(0.04f), 1.0f);
        }

    const ColorRamp bladeHue{{0.0f, rgb(40, 84, 20)},
                             {0.45f, rgb(70, 128, 32)},
                             {0.8f, rgb(104, 150, 44)},
                             {0.93f, rgb(150, 160, 70)},
                             {1.0f, rgb(172, 160, 92)}};
    Rng rng(20261208);
    // Dry thatch underneath first, then tufts of living blades; later blades sit
    // higher in the sward and catch more light.
    const int thatch = static_cast<int>(1400 * scale * scale);
    for (int i = 0; i < thatch; ++i) {
        const glm::vec2 root(rng.range(0, static_cast<float>(w)),
                             rng.range(0, static_cast<float>(h)));
        const float angle = rng.range(0, 2 * kPi);
        const float len = rng.range(6, 16) * scale;
        const glm::vec2 tip = root + len * glm::vec2(std::cos(angle), std::sin(angle));
        const glm::vec4 c = rgb(110, 96, 52) * rng.range(0.6f, 1.0f);
        strokeTapered(
            m.color, root, tip, 0.9f * scale, 0.4f * scale,
            [&](float) { return glm::vec4(glm::vec3(c), 0.8f); }, Edge::Wrap);
        strokeTapered(
            m.shine, root, tip, 0.9f * scale, 0.4f * scale,
            [&](float) { return glm::vec4(glm::vec3(0.08f), 0.8f); }, Edge::Wrap);
    }

    const int tufts = static_cast<int>(1100 * scale * scale);
    for (int i = 0; i < tufts; ++i) {
        const float depth = static_cast<float>(i) / static_cast<float>(tufts);
        const glm::vec2 centre(rng.range(0, static_cast<float>(w)),
                               rng.range(0, static_cast<float>(h)));
        const float lean = rng.range(0, 2 * kPi);
        const int blades = 5 + rng.below(8);
        const float patch = 0.5f + 0.5f * patchNoise(centre / glm::vec2(static_cast<float>(w),
                                                                        static_cast<float>(h)));
        for (int b = 0; b < blades; ++b) {
            const glm::vec2 root = centre + glm::vec2(rng.normal(), rng.normal()) * 2.5f * scale;
            const float angle = lean + rng.normal() * 0.7f;
            const float len = rng.range(9, 26) * scale;
            const glm::vec2 dir(std::cos(angle), std::sin(angle));
            const glm::vec2 side(-dir.y, dir.x);
            const glm::vec2 tip = root + dir * len + side * rng.normal() * len * 0.25f;
            const glm::vec2 ctrl = root + dir * len * 0.5f + side * rng.normal() * len * 0.2f;
            const float hue = glm::clamp(rng.uniform() * 0.85f + patch * 0.25f, 0.0f, 1.0f);
            const glm::vec3 base = glm::vec3(bladeHue(hue)) * (0.55f + 0.55f * depth);
            const float gloss = rng.range(0.3f, 1.0f) * (0.3f + 0.7f * depth);
            const float width = rng.range(1.2f, 2.2f) * scale;
            strokeCurve(
                m.color, root, ctrl, tip, width, 0.35f * scale,
                [&](float t) { return glm::vec4(base * (0.6f + 0.55f * t), 1.0f); }, 4, Edge::Wrap);
            strokeCurve(
                m.shine, root, ctrl, tip, width, 0.35f * scale,
                [&](float t) { return glm::vec4(glm::vec3(0.1f + gloss * 0.65f * t * t), 1.0f); },
                4, Edge::Wrap);
        }
    }
    return m;
}

}  // namespace

Image makeGrass(int width, int height) {
    return paintMeadow(width, height).color;
}

Image makeGrassSpecular(int width, int height) {
    return paintMeadow(width, height).shine;
}

Image makeGroundDisplacement(int width, int height) {
    // A couple of soft swells per cell with a little unevenness on top. The
    // range stays low so ants (height = |rgb| / 6) rise at most about a tenth of
    // a cell, and cell borders meet their neighbours because the relief tiles.
    const Fbm swell{{2, 2}, 3, 0.35f, NoiseKind::Gradient, 31};
    const Fbm rough{{8, 8}, 3, 0.5f, NoiseKind::Gradient, 32};
    Field f(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const glm::vec2 uv((static_cast<float>(x) + 0.5f) / static_cast<float>(width),
                               (static_cast<float>(y) + 0.5f) / static_cast<float>(height));
            f.at(x, y) = swell(uv) + 0.15f * rough(uv);
        }
    normalise(f, 0.14f, 0.40f);
    Image out(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) out.at(x, y) = glm::vec4(glm::vec3(f.at(x, y)), 1.0f);
    return out;
}

}  // namespace vximg
