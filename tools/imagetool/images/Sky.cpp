// The sky cross and the sun sprite. The cross is painted by evaluating one sky
// function of the 3D view direction for every texel, so faces that meet on
// the cube continue into each other exactly.
#include "images/Images.h"

#include "imagecore/Noise.h"
#include "imagecore/Ramp.h"

#include <glm/common.hpp>
#include <glm/geometric.hpp>

#include <array>
#include <cmath>
#include <stdexcept>
#include <string>

namespace vximg {

glm::ivec2 cubeFaceCell(CubeFace face) {
    switch (face) {
        case CubeFace::PosX:
            return {2, 1};
        case CubeFace::NegX:
            return {0, 1};
        case CubeFace::PosY:
            return {1, 0};
        case CubeFace::NegY:
            return {1, 2};
        case CubeFace::PosZ:
            return {1, 1};
        case CubeFace::NegZ:
            return {3, 1};
    }
    throw std::invalid_argument("unknown cube face");
}

// Matches the sky box's vertex table: in the +z cell x grows to the right and
// y upwards; the side cells continue around the horizon, the top cell meets
// the +z cell along its lower edge and the bottom cell along its upper edge.
glm::vec3 cubeFaceDirection(CubeFace face, float s, float t) {
    const float a = 2.0f * s - 1.0f;
    const float b = 1.0f - 2.0f * t;
    switch (face) {
        case CubeFace::PosZ:
            return {a, b, 1.0f};
        case CubeFace::NegX:
            return {-1.0f, b, a};
        case CubeFace::NegZ:
            return {-a, b, -1.0f};
        case CubeFace::PosX:
            return {1.0f, b, -a};
        case CubeFace::PosY:
            return {a, 1.0f, -b};
        case CubeFace::NegY:
            return {a, -1.0f, b};
    }
    throw std::invalid_argument("unknown cube face");
}

glm::vec4 skyColor(glm::vec3 direction) {
    const glm::vec3 d = glm::normalize(direction);
    const float e = d.y;
    const glm::vec3 zenith = glm::vec3(rgb(38, 86, 170));
    const glm::vec3 upper = glm::vec3(rgb(86, 144, 214));
    const glm::vec3 horizon = glm::vec3(rgb(196, 214, 226));
    const glm::vec3 haze = glm::vec3(rgb(150, 162, 170));
    const glm::vec3 below = glm::vec3(rgb(84, 92, 98));

    glm::vec3 c;
    if (e >= 0.0f) {
        const float t = std::pow(e, 0.45f);
        c = t < 0.5f ? glm::mix(horizon, upper, t / 0.5f)
                     : glm::mix(upper, zenith, (t - 0.5f) / 0.5f);
        // A warm band low in one quarter of the sky, where the light seems to come from.
        const glm::vec3 warmDir = glm::normalize(glm::vec3(-0.6f, 0.0f, -0.8f));
        const float warm =
            std::pow(std::max(0.0f,
                              glm::dot(glm::normalize(glm::vec3(d.x, 0.0f, d.z) + 1e-6f), warmDir)),
                     3.0f) *
            std::exp(-e * 7.0f);
        c = glm::mix(c, glm::vec3(rgb(240, 206, 170)), 0.45f * warm);

        // Clouds on a flat layer overhead: project the ray onto it, so they
        // shrink towards the horizon as real cloud decks do.
        const glm::vec2 layer = glm::vec2(d.x, d.z) / (e + 0.1f);
        const float n = fbm3(glm::vec3(layer * 1.1f, 0.37f), 6, 0.55f, 51);
        const float wisp = fbm3(glm::vec3(layer * 3.3f, 4.1f), 4, 0.5f, 52);
        const float density =
            smoothstep(-0.02f, 0.32f, n + 0.22f * wisp) * smoothstep(0.01f, 0.2f, e);
        const float shade = glm::clamp(0.62f + 0.9f * (n - 0.05f) + 0.2f * wisp, 0.45f, 1.05f);
        const glm::vec3 cloud =
            glm::mix(glm::vec3(rgb(140, 150, 170)), glm::vec3(rgb(252, 252, 250)), shade);
        c = glm::mix(c, cloud, density * 0.95f);
    } else {
        // Under the horizon the mountains hide most of it; keep a hazy fall-off.
        const float t = std::pow(-e, 0.6f);
        c = glm::mix(glm::mix(horizon, haze, smoothstep(0.0f, 0.25f, t)), below, t);
    }
    return glm::vec4(glm::clamp(c, 0.0f, 1.0f), 1.0f);
}

Image makeCubeMap(int width, int height) {
    if (width % 4 != 0 || height % 3 != 0 || width / 4 != height / 3)
        throw std::invalid_argument("CubeMap needs square faces in a 4 x 3 cross, got " +
                                    std::to_string(width) + " x " + std::to_string(height));
    const int n = width / 4;
    static constexpr std::array<CubeFace, 6> faces{CubeFace::PosX, CubeFace::NegX, CubeFace::PosY,
                                                   CubeFace::NegY, CubeFace::PosZ, CubeFace::NegZ};
    Image out(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const glm::vec2 p(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
            // Texels of the six unused cells continue the nearest face, so that
            // filtering and mipmaps near a face's edge blend in sky, not black.
            CubeFace nearest = CubeFace::PosZ;
            float best = 1e30f;
            for (const CubeFace f : faces) {
                const glm::vec2 lo = glm::vec2(cubeFaceCell(f)) * static_cast<float>(n);
                const glm::vec2 hi = lo + static_cast<float>(n);
                const glm::vec2 outside = glm::max(glm::max(lo - p, p - hi), glm::vec2(0.0f));
                const float dist = glm::length(outside);
                if (dist < best) {
                    best = dist;
                    nearest = f;
                }
            }
            const glm::vec2 local = (p - glm::vec2(cubeFaceCell(nearest)) * static_cast<float>(n)) /
                                    static_cast<float>(n);
            const glm::vec2 st = glm::clamp(local, glm::vec2(-0.45f), glm::vec2(1.45f));
            out.at(x, y) = skyColor(cubeFaceDirection(nearest, st.x, st.y));
        }
    return out;
}

Image makeSun(int width, int height) {
    // The disc's texture coordinates put the rim on the inscribed circle, so
    // everything fades to transparent before it.
    Image out(width, height);
    const Fbm rays{{24, 1}, 3, 0.5f, NoiseKind::Gradient, 61};
    const float pi = 3.14159265f;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const glm::vec2 q(
                (static_cast<float>(x) + 0.5f) / static_cast<float>(width) * 2.0f - 1.0f,
                (static_cast<float>(y) + 0.5f) / static_cast<float>(height) * 2.0f - 1.0f);
            const float r = glm::length(q);
            const float angle = std::atan2(q.y, q.x) / (2.0f * pi) + 0.5f;
            const float core = smoothstep(0.36f, 0.30f, r);
            const float ray = 0.6f + 0.4f * rays(glm::vec2(angle, r * 0.15f));
            const float corona = std::exp(-std::max(0.0f, r - 0.3f) * 5.5f) * ray;
            const float fade = smoothstep(1.0f, 0.82f, r);
            const float a = glm::clamp((core + corona * 0.85f) * fade, 0.0f, 1.0f);
            const glm::vec3 hot = glm::vec3(rgb(255, 252, 238));
            const glm::vec3 warm = glm::vec3(rgb(255, 196, 96));
            const glm::vec3 c = glm::mix(warm, hot, glm::clamp(core + corona * 0.35f, 0.0f, 1.0f));
            out.at(x, y) = glm::vec4(c, a);
        }
    return out;
}

}  // namespace vximg
