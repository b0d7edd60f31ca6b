// The mountain ring around the field. One height function drives both the
// displacement and the colour, so snow lies on the crests the relief raises
// and rock shows where the relief is steep.
#include "images/Images.h"

#include "imagecore/Noise.h"
#include "imagecore/Ramp.h"

#include <glm/common.hpp>
#include <glm/geometric.hpp>

#include <cmath>

namespace vximg {

namespace {

// Height 0..1 at (u, v): u along the strip (periodic), v from the crest (0) to
// the foot at the field's edge (1), where it falls to exactly 0 so the
// mountains meet the flat ground.
float mountainHeight(glm::vec2 uv) {
    // Summits set the skyline; rounded massifs and ridged spurs, which change
    // faster along the strip than across it, run down towards the field.
    static const Fbm summits{{3, 1}, 3, 0.45f, NoiseKind::Gradient, 42};
    static const Fbm massif{{4, 2}, 6, 0.5f, NoiseKind::Gradient, 41};
    static const Fbm spurs{{6, 2}, 5, 0.5f, NoiseKind::Gradient, 49};
    static const Fbm warp{{4, 2}, 3, 0.5f, NoiseKind::Gradient, 43};
    const glm::vec2 w = uv + glm::vec2(0.03f * warp(uv), 0.06f * warp(uv + 0.5f));
    const float skyline = 0.55f + 0.45f * summits(w);
    const float rise = std::pow(smoothstep(1.0f, 0.1f, w.y), 1.5f);
    const float body = 0.5f + 0.5f * massif(w);
    const float crest = spurs.ridged(w);
    const float foot = smoothstep(1.0f, 0.88f, uv.y);
    const float h = rise * (0.45f * skyline + 0.35f * body + 0.25f * crest * rise);
    return glm::clamp(h * foot, 0.0f, 1.0f);
}

glm::vec2 uvOf(int x, int y, int w, int h) {
    return {(static_cast<float>(x) + 0.5f) / static_cast<float>(w),
            (static_cast<float>(y) + 0.5f) / static_cast<float>(h)};
}

}  // namespace

Image makeMountainDisplacement(int width, int height) {
    Image out(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out.at(x, y) = glm::vec4(glm::vec3(mountainHeight(uvOf(x, y, width, height))), 1.0f);
    return out;
}

Image makeMountain(int width, int height) {
    const Fbm grain{{16, 8}, 5, 0.55f, NoiseKind::Value, 44};
    const Fbm streaks{{32, 4}, 3, 0.5f, NoiseKind::Gradient, 45};
    const Fbm snowEdge{{8, 4}, 4, 0.5f, NoiseKind::Gradient, 46};
    const Fbm meadow{{8, 4}, 4, 0.5f, NoiseKind::Gradient, 47};
    const Fbm tufts{{128, 64}, 2, 0.5f, NoiseKind::Value, 50};
    const ColorRamp rock{
        {0.0f, rgb(64, 58, 52)}, {0.5f, rgb(108, 100, 90)}, {1.0f, rgb(146, 138, 126)}};
    const ColorRamp grass{{0.0f, rgb(44, 80, 24)}, {1.0f, rgb(84, 118, 40)}};
    const glm::vec4 snow = rgb(236, 240, 248);
    const glm::vec3 sun = glm::normalize(glm::vec3(-0.5f, 0.55f, -0.6f));
    // Texture space is 7 by 4 units and the relief a few units tall; this only
    // shapes the baked shading and the slope masks.
    const float relief = 2.5f;
    Image out(width, height);
    // Normals from a wider difference than one texel: the finest rubble would
    // otherwise make the shading glitter.
    const float du = 2.5f / static_cast<float>(width), dv = 2.5f / static_cast<float>(height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const glm::vec2 uv = uvOf(x, y, width, height);
            const float hgt = mountainHeight(uv);
            const float hx =
                (mountainHeight(uv + glm::vec2(du, 0)) - mountainHeight(uv - glm::vec2(du, 0))) /
                (2 * du) * relief / 7.0f;
            const float hy =
                (mountainHeight(uv + glm::vec2(0, dv)) - mountainHeight(uv - glm::vec2(0, dv))) /
                (2 * dv) * relief / 4.0f;
            const glm::vec3 normal = glm::normalize(glm::vec3(-hx, 1.0f, -hy));
            const float slope = 1.0f - normal.y;

            const float g = 0.5f + 0.5f * grain(uv);
            const float streak = 0.5f + 0.5f * streaks(uv);
            glm::vec4 c = rock(glm::clamp(g * 0.75f + streak * 0.25f, 0.0f, 1.0f)) *
                          (1.0f - 0.35f * smoothstep(0.3f, 0.8f, slope));
            // Grass climbs the gentle lower slopes.
            const float grassy =
                smoothstep(0.13f, 0.09f, hgt + 0.05f * meadow(uv) + 0.02f * tufts(uv)) *
                smoothstep(0.55f, 0.25f, slope);
            c = glm::mix(
                c,
                grass(glm::clamp(0.35f + 0.4f * meadow(uv) + 0.5f * (g - 0.5f) + 0.35f * tufts(uv),
                                 0.0f, 1.0f)),
                grassy);
            // Snow on the high parts, thinner on steep faces.
            const float snowLine = 0.52f + 0.08f * snowEdge(uv);
            const float snowy =
                smoothstep(snowLine, snowLine + 0.08f, hgt) * smoothstep(0.75f, 0.35f, slope);
            c = glm::mix(c, snow * (0.9f + 0.1f * g), snowy);
            // Mild baked light so crevices read even where the game's light is flat.
            const float light = 0.72f + 0.38f * std::max(0.0f, glm::dot(normal, sun));
            out.at(x, y) = glm::vec4(glm::vec3(c) * light, 1.0f);
        }
    return out;
}

}  // namespace vximg
