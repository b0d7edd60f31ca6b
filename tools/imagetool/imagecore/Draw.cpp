#include "imagecore/Draw.h"

#include <glm/geometric.hpp>

#include <algorithm>
#include <cmath>

namespace vximg {

float coverage(float distance, float softness) {
    return std::clamp(0.5f - distance / std::max(softness, 1e-3f), 0.0f, 1.0f);
}

void forEachPixelInBox(int width, int height, glm::vec2 lo, glm::vec2 hi, Edge edge,
                       const std::function<void(int x, int y, glm::vec2 centre)>& fn) {
    int x0 = static_cast<int>(std::floor(lo.x)), x1 = static_cast<int>(std::ceil(hi.x));
    int y0 = static_cast<int>(std::floor(lo.y)), y1 = static_cast<int>(std::ceil(hi.y));
    if (edge == Edge::Clamp) {
        x0 = std::max(x0, 0);
        y0 = std::max(y0, 0);
        x1 = std::min(x1, width - 1);
        y1 = std::min(y1, height - 1);
    } else {
        // A shape larger than the tile would touch pixels twice.
        x1 = std::min(x1, x0 + width - 1);
        y1 = std::min(y1, y0 + height - 1);
    }
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const glm::vec2 centre(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
            fn(Image::wrapIndex(x, width), Image::wrapIndex(y, height), centre);
        }
}

glm::vec2 segmentDistance(glm::vec2 p, glm::vec2 a, glm::vec2 b) {
    const glm::vec2 ab = b - a;
    const float len2 = glm::dot(ab, ab);
    const float t = len2 > 0.0f ? std::clamp(glm::dot(p - a, ab) / len2, 0.0f, 1.0f) : 0.0f;
    return {glm::length(p - (a + ab * t)), t};
}

void strokeTapered(Image& image, glm::vec2 a, glm::vec2 b, float ra, float rb,
                   const StrokeShade& shade, Edge edge, float softness) {
    const float r = std::max(ra, rb) + softness;
    const glm::vec2 lo = glm::min(a, b) - glm::vec2(r);
    const glm::vec2 hi = glm::max(a, b) + glm::vec2(r);
    forEachPixelInBox(image.width(), image.height(), lo, hi, edge, [&](int x, int y, glm::vec2 p) {
        const glm::vec2 dt = segmentDistance(p, a, b);
        const float radius = ra + (rb - ra) * dt.y;
        const float cov = coverage(dt.x - radius, softness);
        if (cov <= 0.0f) return;
        const glm::vec4 c = shade(dt.y);
        blendOver(image.at(x, y), glm::vec3(c), c.a * cov);
    });
}

void strokeCurve(Image& image, glm::vec2 p0, glm::vec2 p1, glm::vec2 p2, float r0, float r2,
                 const StrokeShade& shade, int segments, Edge edge) {
    auto point = [&](float t) {
        return (1 - t) * (1 - t) * p0 + 2 * (1 - t) * t * p1 + t * t * p2;
    };
    segments = std::max(1, segments);
    for (int i = 0; i < segments; ++i) {
        const float t0 = static_cast<float>(i) / static_cast<float>(segments);
        const float t1 = static_cast<float>(i + 1) / static_cast<float>(segments);
        strokeTapered(
            image, point(t0), point(t1), r0 + (r2 - r0) * t0, r0 + (r2 - r0) * t1,
            [&](float t) { return shade(t0 + (t1 - t0) * t); }, edge);
    }
}

void fillEllipse(Image& image, glm::vec2 centre, glm::vec2 radii, float angle, glm::vec4 color,
                 float softness) {
    const float c = std::cos(angle), s = std::sin(angle);
    const float r = std::max(radii.x, radii.y) + softness;
    forEachPixelInBox(image.width(), image.height(), centre - glm::vec2(r), centre + glm::vec2(r),
                      Edge::Clamp, [&](int x, int y, glm::vec2 p) {
                          const glm::vec2 d = p - centre;
                          const glm::vec2 local(d.x * c + d.y * s, -d.x * s + d.y * c);
                          // Distance approximated by the normalised radius scaled to pixels.
                          const float k = glm::length(local / radii);
                          const float dist = (k - 1.0f) * std::min(radii.x, radii.y);
                          const float cov = coverage(dist, softness);
                          if (cov > 0.0f)
                              blendOver(image.at(x, y), glm::vec3(color), color.a * cov);
                      });
}

void addGlow(Image& image, glm::vec2 centre, float radius, glm::vec3 light) {
    const float reach = radius * 3.0f;
    forEachPixelInBox(image.width(), image.height(), centre - glm::vec2(reach),
                      centre + glm::vec2(reach), Edge::Clamp, [&](int x, int y, glm::vec2 p) {
                          const float d = glm::length(p - centre) / radius;
                          const float f = std::exp(-d * d * 1.5f);
                          if (f > 1e-4f) addLight(image.at(x, y), light * f);
                      });
}

}  // namespace vximg
