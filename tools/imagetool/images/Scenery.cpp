#include "images/Scenery.h"

#include "imagecore/Draw.h"
#include "imagecore/Noise.h"

#include <glm/common.hpp>
#include <glm/geometric.hpp>

#include <cmath>

namespace vximg::scenery {

namespace {

constexpr float kPi = 3.14159265358979f;

float fw(const Image& image) {
    return static_cast<float>(image.width());
}
float fh(const Image& image) {
    return static_cast<float>(image.height());
}

glm::vec2 centreOf(int x, int y) {
    return {static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f};
}

// Maps the ant's body frame (x forward, y up, in body lengths, origin on the
// ground under the body) into the image.
struct AntFrame {
    const Ant& ant;
    glm::vec2 operator()(glm::vec2 local) const {
        if (ant.onBack) local = glm::vec2(local.x, 0.56f - local.y);
        const float x = ant.facingRight ? local.x : -local.x;
        return ant.feet + glm::vec2(x, -local.y) * ant.length;
    }
    float angleOf(glm::vec2 local, float angle) const {
        const glm::vec2 a = (*this)(local);
        const glm::vec2 b = (*this)(local + glm::vec2(std::cos(angle), std::sin(angle)) * 0.01f);
        return std::atan2(b.y - a.y, b.x - a.x);
    }
};

StrokeShade flat(glm::vec3 c, float a = 1.0f) {
    return [c, a](float) { return glm::vec4(c, a); };
}

}  // namespace

void paintSky(Image& image, const SkyPalette& palette, float horizonY) {
    for (int y = 0; y < image.height(); ++y) {
        const float t = glm::clamp((static_cast<float>(y) + 0.5f) / horizonY, 0.0f, 1.0f);
        const glm::vec3 c =
            t < 0.6f ? glm::mix(palette.top, palette.middle, t / 0.6f)
                     : glm::mix(palette.middle, palette.horizon, std::pow((t - 0.6f) / 0.4f, 1.3f));
        for (int x = 0; x < image.width(); ++x) image.at(x, y) = glm::vec4(c, 1.0f);
    }
}

void paintStars(Image& image, float horizonY, float amount, std::uint32_t seed) {
    Rng rng(seed);
    const int count = static_cast<int>(amount * fw(image) * horizonY / 900.0f);
    for (int i = 0; i < count; ++i) {
        const glm::vec2 p(rng.range(0, fw(image)), rng.range(0, horizonY));
        const float fadeOut = std::pow(1.0f - p.y / horizonY, 1.5f);
        const float bright = std::pow(rng.uniform(), 3.0f) * fadeOut;
        const glm::vec3 tint =
            glm::mix(glm::vec3(0.75f, 0.85f, 1.0f), glm::vec3(1.0f, 0.9f, 0.8f), rng.uniform());
        addGlow(image, p, 0.6f + 1.4f * bright, tint * (0.25f + 0.9f * bright));
    }
}

void paintNebula(Image& image, float horizonY, glm::vec3 tint, float strength, std::uint32_t seed) {
    const Fbm cloud{{3, 2}, 6, 0.55f, NoiseKind::Gradient, seed};
    for (int y = 0; y < static_cast<int>(horizonY); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const glm::vec2 uv = centreOf(x, y) / glm::vec2(fw(image), fh(image));
            const float n = smoothstep(0.0f, 0.7f, cloud(uv * glm::vec2(1.0f, 1.6f)));
            const float band = std::exp(-std::pow((uv.y - 0.25f - 0.2f * uv.x) / 0.22f, 2.0f));
            addLight(image.at(x, y), tint * n * band * strength);
        }
}

void paintHills(Image& image, float baseY, float amplitude, glm::vec3 color, std::uint32_t seed) {
    const Fbm ridge{{3, 1}, 6, 0.5f, NoiseKind::Gradient, seed};
    for (int x = 0; x < image.width(); ++x) {
        const float u = (static_cast<float>(x) + 0.5f) / fw(image);
        const float crest = baseY - amplitude * (0.5f + 0.5f * ridge(glm::vec2(u, 0.5f)));
        for (int y = std::max(0, static_cast<int>(crest) - 1); y < image.height(); ++y) {
            const float cov = glm::clamp(static_cast<float>(y) + 0.5f - crest, 0.0f, 1.0f);
            blendOver(image.at(x, y), color, cov);
        }
    }
}

void paintGround(Image& image, float horizonY, glm::vec3 far, glm::vec3 near, std::uint32_t seed) {
    const Fbm patches{{4, 4}, 5, 0.55f, NoiseKind::Gradient, seed};
    for (int y = static_cast<int>(horizonY); y < image.height(); ++y) {
        const float depth = glm::clamp(
            (static_cast<float>(y) + 0.5f - horizonY) / (fh(image) - horizonY), 0.02f, 1.0f);
        for (int x = 0; x < image.width(); ++x) {
            const float u = ((static_cast<float>(x) + 0.5f) / fw(image) - 0.5f) / depth;
            const float v = 1.0f / depth;
            const float n = patches(glm::vec2(u * 0.15f, v * 0.05f));
            const glm::vec3 c = glm::mix(far, near, std::pow(depth, 0.6f)) *
                                (1.0f + 0.25f * n * std::min(1.0f, depth * 4.0f));
            const float cov = glm::clamp(static_cast<float>(y) + 0.5f - horizonY, 0.0f, 1.0f);
            blendOver(image.at(x, y), c, cov);
        }
    }
}

void paintBlades(Image& image, const BladeLayer& layer) {
    Rng rng(layer.seed);
    const float scale = (layer.maxHeight + layer.minHeight) * 0.5f / 100.0f;
    for (int i = 0; i < layer.count; ++i) {
        const glm::vec2 root(rng.range(-20, fw(image) + 20),
                             layer.rootY + rng.range(0, layer.rootSpread));
        const float h = rng.range(layer.minHeight, layer.maxHeight);
        const float lean = rng.normal() * 0.28f;
        const glm::vec2 tip = root + glm::vec2(std::sin(lean), -std::cos(lean)) * h;
        const glm::vec2 ctrl = root + glm::vec2(std::sin(lean * 0.3f) * h * 0.2f, -h * 0.55f);
        const float tone = rng.range(0.7f, 1.15f);
        const glm::vec3 dark = layer.dark * tone, light = layer.light * tone;
        strokeCurve(
            image, root, ctrl, tip, rng.range(1.8f, 3.2f) * scale + 0.6f, 0.4f,
            [&](float t) { return glm::vec4(glm::mix(dark, light, t * t), 1.0f); }, 8);
    }
}

void paintPortal(Image& image, const Portal& portal) {
    const float ry = portal.height * 0.5f;
    const float rx = portal.height * 0.33f;
    const glm::vec2 c = portal.base - glm::vec2(0.0f, ry);
    const Fbm swirl{{4, 4}, 4, 0.5f, NoiseKind::Gradient, portal.seed};

    // A stone plinth under the ring, then the light it throws on the ground.
    fillEllipse(image, portal.base + glm::vec2(0, ry * 0.04f), glm::vec2(rx * 1.15f, ry * 0.11f),
                0.0f, glm::vec4(0.05f, 0.05f, 0.07f, 0.95f), 2.0f);
    const glm::vec2 reach(rx * 2.6f, ry * 0.35f);
    forEachPixelInBox(image.width(), image.height(), portal.base - reach * 2.5f,
                      portal.base + reach * 2.5f, Edge::Clamp, [&](int x, int y, glm::vec2 p) {
                          const glm::vec2 d = (p - portal.base) / reach;
                          addLight(image.at(x, y),
                                   portal.color * 0.35f * std::exp(-glm::dot(d, d) * 1.5f));
                      });

    const glm::vec2 box(rx * 3.5f, ry * 2.5f);
    forEachPixelInBox(image.width(), image.height(), c - box, c + box, Edge::Clamp,
                      [&](int x, int y, glm::vec2 p) {
                          const glm::vec2 q = (p - c) / glm::vec2(rx, ry);
                          const float r = glm::length(q);
                          const float angle = std::atan2(q.y, q.x);
                          glm::vec3 light(0.0f);
                          if (r < 1.0f) {
                              const float n = swirl(glm::vec2(angle / (2 * kPi) + 0.5f, r * 0.5f));
                              const float s =
                                  0.5f + 0.5f * std::sin(angle * 3.0f + r * 9.0f + 4.0f * n);
                              const float e = std::pow(s, 3.0f) * (1.0f - r * r) * 0.75f +
                                              0.25f * (1.0f - r) + 0.5f * std::pow(r, 6.0f);
                              light += portal.color * e + glm::vec3(std::pow(e, 4.0f) * 0.5f);
                          }
                          const float ring = std::exp(-std::pow((r - 1.0f) / 0.07f, 2.0f));
                          light += portal.color * ring * 1.1f + glm::vec3(ring * ring * 0.7f);
                          if (r > 1.0f)
                              light += portal.color * 0.32f * std::exp(-(r - 1.0f) * 5.0f);
                          addLight(image.at(x, y), light);
                      });
}

void paintAnt(Image& image, const Ant& ant) {
    const AntFrame f{ant};
    const float L = ant.length;
    const glm::vec3 farLegs = ant.body * 0.3f;
    const glm::vec3 nearLegs = ant.body * 0.55f;

    auto leg = [&](glm::vec2 hip, glm::vec2 knee, glm::vec2 foot, glm::vec3 color, float thick) {
        strokeTapered(image, f(hip), f(knee), thick * L, thick * 0.8f * L, flat(color));
        strokeTapered(image, f(knee), f(foot), thick * 0.8f * L, thick * 0.5f * L, flat(color));
        const glm::vec2 toe = foot + glm::vec2(foot.x > hip.x ? 0.06f : -0.06f, 0.0f);
        strokeTapered(image, f(foot), f(toe), thick * 0.5f * L, thick * 0.35f * L, flat(color));
    };
    auto body = [&](glm::vec2 centre, glm::vec2 radii, float angle, glm::vec3 color) {
        // A sliver of the scene's light along the upper edge separates the dark
        // body from a dark background.
        const glm::vec2 rimCentre = centre + glm::vec2(-0.006f, 0.012f);
        fillEllipse(image, f(rimCentre), (radii + 0.006f) * L, f.angleOf(rimCentre, angle),
                    glm::vec4(ant.rim, 0.9f), 1.5f);
        fillEllipse(image, f(centre), radii * L, f.angleOf(centre, angle), glm::vec4(color, 1.0f),
                    1.2f);
        // A soft highlight on the upper front of each segment reads as a shiny chitin shell.
        const glm::vec2 hl = centre + glm::vec2(radii.x * 0.2f, radii.y * 0.45f);
        fillEllipse(image, f(hl), radii * L * glm::vec2(0.55f, 0.35f), f.angleOf(hl, angle),
                    glm::vec4(glm::min(color * 1.9f + 0.12f, 1.0f), 0.55f), radii.y * L * 0.5f);
    };

    // Far-side legs and antenna first, so the body covers their roots.
    leg({0.10f, 0.24f}, {0.24f, 0.36f}, {0.36f, 0.0f}, farLegs, 0.017f);
    leg({0.03f, 0.23f}, {0.06f, 0.36f}, {0.10f, 0.0f}, farLegs, 0.017f);
    leg({-0.04f, 0.23f}, {-0.18f, 0.36f}, {-0.36f, 0.0f}, farLegs, 0.017f);
    strokeTapered(image, f({0.27f, 0.36f}), f({0.31f, 0.52f}), 0.012f * L, 0.01f * L,
                  flat(farLegs));
    strokeCurve(image, f({0.31f, 0.52f}), f({0.40f, 0.58f}), f({0.48f, 0.52f}), 0.01f * L,
                0.006f * L, flat(farLegs), 6);

    body({-0.32f, 0.22f}, {0.21f, 0.145f}, 0.28f, ant.body);         // gaster
    body({-0.11f, 0.245f}, {0.045f, 0.05f}, 0.0f, ant.body * 0.9f);  // petiole
    body({0.04f, 0.27f}, {0.14f, 0.07f}, 0.25f, ant.body);           // thorax
    body({0.27f, 0.30f}, {0.095f, 0.082f}, -0.2f, ant.body);         // head
    fillEllipse(image, f({0.30f, 0.325f}), glm::vec2(0.026f, 0.02f) * L, 0.0f,
                glm::vec4(0.02f, 0.02f, 0.02f, 1.0f), 1.0f);
    fillEllipse(image, f({0.305f, 0.332f}), glm::vec2(0.008f) * L, 0.0f,
                glm::vec4(0.9f, 0.9f, 0.9f, 0.8f), 1.0f);
    // Mandibles.
    strokeCurve(image, f({0.34f, 0.27f}), f({0.43f, 0.27f}), f({0.44f, 0.20f}), 0.02f * L,
                0.006f * L, flat(ant.body * 0.7f), 6);
    strokeCurve(image, f({0.33f, 0.25f}), f({0.40f, 0.22f}), f({0.40f, 0.17f}), 0.017f * L,
                0.005f * L, flat(ant.body * 0.55f), 6);
    // Near legs and antenna.
    leg({0.11f, 0.23f}, {0.22f, 0.34f}, {0.32f, 0.0f}, nearLegs, 0.02f);
    leg({0.04f, 0.22f}, {0.02f, 0.35f}, {0.0f, 0.0f}, nearLegs, 0.02f);
    leg({-0.03f, 0.22f}, {-0.20f, 0.34f}, {-0.30f, 0.0f}, nearLegs, 0.02f);
    strokeTapered(image, f({0.30f, 0.37f}), f({0.36f, 0.53f}), 0.014f * L, 0.011f * L,
                  flat(nearLegs));
    strokeCurve(image, f({0.36f, 0.53f}), f({0.46f, 0.58f}), f({0.54f, 0.50f}), 0.011f * L,
                0.007f * L, flat(nearLegs), 6);
}

void paintBerry(Image& image, glm::vec2 ground, float radius, glm::vec3 color) {
    const glm::vec2 c = ground - glm::vec2(0, radius * 0.9f);
    fillEllipse(image, ground, glm::vec2(radius * 1.1f, radius * 0.25f), 0.0f,
                glm::vec4(0, 0, 0, 0.45f), radius * 0.3f);
    fillEllipse(image, c, glm::vec2(radius), 0.0f, glm::vec4(color, 1.0f), 1.2f);
    fillEllipse(image, c + glm::vec2(radius * 0.15f, radius * 0.2f), glm::vec2(radius * 0.8f), 0.0f,
                glm::vec4(color * 0.55f, 0.6f), radius * 0.5f);
    fillEllipse(image, c - glm::vec2(radius * 0.35f, radius * 0.4f),
                glm::vec2(radius * 0.28f, radius * 0.2f), -0.6f, glm::vec4(1.0f, 1.0f, 1.0f, 0.75f),
                radius * 0.15f);
    const glm::vec2 stem = c - glm::vec2(0, radius);
    strokeCurve(image, stem, stem + glm::vec2(radius * 0.5f, -radius * 0.5f),
                stem + glm::vec2(radius * 1.2f, -radius * 0.3f), radius * 0.22f, radius * 0.05f,
                flat(glm::vec3(0.18f, 0.45f, 0.12f)), 6);
}

void paintSparks(Image& image, glm::vec2 centre, glm::vec2 spread, int count, glm::vec3 color,
                 std::uint32_t seed) {
    Rng rng(seed);
    for (int i = 0; i < count; ++i) {
        const glm::vec2 p = centre + glm::vec2(rng.normal(), rng.normal()) * spread;
        const float s = rng.range(0.8f, 2.6f);
        addGlow(image, p, s, color * rng.range(0.4f, 1.0f));
    }
}

void paintText(Image& image, const Font& font, const std::string& text, int pixelSize,
               TextPlacement at, const TextStyle& style) {
    const int pad = static_cast<int>(style.glowRadius * 3.0f + style.outlineWidth + 8.0f);
    const TextMask mask = font.render(text, pixelSize, pad);
    const glm::ivec2 origin = maskOrigin(mask, at);
    const int mw = mask.coverage.width(), mh = mask.coverage.height();

    Field glow = mask.coverage;
    blur(glow, style.glowRadius, Edge::Clamp);
    Field outline = mask.coverage;
    blur(outline, style.outlineWidth * 0.6f, Edge::Clamp);
    Field shadow = mask.coverage;
    blur(shadow, std::max(1.0f, static_cast<float>(pixelSize) * 0.04f), Edge::Clamp);
    const glm::ivec2 shadowOffset(static_cast<int>(static_cast<float>(pixelSize) * 0.03f) + 1,
                                  static_cast<int>(static_cast<float>(pixelSize) * 0.05f) + 1);

    const float capTop = static_cast<float>(mask.baseline) - static_cast<float>(pixelSize) * 0.75f;
    for (int y = 0; y < mh; ++y)
        for (int x = 0; x < mw; ++x) {
            const int ix = origin.x + x, iy = origin.y + y;
            if (ix < 0 || iy < 0 || ix >= image.width() || iy >= image.height()) continue;
            glm::vec4& px = image.at(ix, iy);
            addLight(px, style.glow * glow.at(x, y) * 1.4f);
            const int sx = x - shadowOffset.x, sy = y - shadowOffset.y;
            if (sx >= 0 && sy >= 0)
                blendOver(px, glm::vec3(0.0f), style.shadow * shadow.at(sx, sy));
            if (style.outlineWidth > 0.0f)
                blendOver(px, style.outline, glm::clamp(outline.at(x, y) * 3.0f, 0.0f, 1.0f));
            const float t = glm::clamp(
                (static_cast<float>(y) - capTop) / (static_cast<float>(mask.baseline) - capTop),
                0.0f, 1.0f);
            blendOver(px, glm::mix(style.top, style.bottom, t), mask.coverage.at(x, y));
        }
}

void paintSkyGlow(Image& image, glm::vec2 centre, glm::vec2 radii, glm::vec3 light) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const glm::vec2 d = (centreOf(x, y) - centre) / radii;
            addLight(image.at(x, y), light * std::exp(-glm::dot(d, d)));
        }
}

void vignette(Image& image, float strength) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const glm::vec2 q = centreOf(x, y) / glm::vec2(fw(image), fh(image)) * 2.0f - 1.0f;
            const float v =
                1.0f - strength * smoothstep(0.5f, 1.6f, glm::length(q * glm::vec2(0.85f, 1.0f)));
            glm::vec4& px = image.at(x, y);
            px = glm::vec4(glm::vec3(px) * v, px.a);
        }
}

}  // namespace vximg::scenery
