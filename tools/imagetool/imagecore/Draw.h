// Anti-aliased vector shapes painted onto float images: tapered strokes,
// rotated ellipses, soft radial glows and quadratic curves. Coverage comes from
// a signed distance, so edges are smooth at any size. With Edge::Wrap a shape
// that crosses a border continues on the opposite side (for tileable textures).
#pragma once

#include "imagecore/Image.h"

#include <functional>

namespace vximg {

// Coverage of a pixel whose centre lies `distance` pixels outside a shape's
// edge (negative inside), for an edge `softness` pixels wide.
float coverage(float distance, float softness = 1.0f);

// Colour and alpha of a stroke at parameter t (0 at start, 1 at end).
using StrokeShade = std::function<glm::vec4(float t)>;

// A capsule from a to b whose radius runs from ra to rb.
void strokeTapered(Image& image, glm::vec2 a, glm::vec2 b, float ra, float rb,
                   const StrokeShade& shade, Edge edge = Edge::Clamp, float softness = 1.0f);

// A quadratic Bezier curve p0, p1 (control), p2 as `segments` tapered pieces.
void strokeCurve(Image& image, glm::vec2 p0, glm::vec2 p1, glm::vec2 p2, float r0, float r2,
                 const StrokeShade& shade, int segments, Edge edge = Edge::Clamp);

// Filled ellipse with radii (rx, ry) rotated by `angle` radians.
void fillEllipse(Image& image, glm::vec2 centre, glm::vec2 radii, float angle, glm::vec4 color,
                 float softness = 1.0f);

// Additive glow: light * falloff(distance / radius) with a Gaussian-like falloff.
void addGlow(Image& image, glm::vec2 centre, float radius, glm::vec3 light);

// Calls fn(x, y) for every pixel of the image's area that the box [lo, hi]
// touches, with coordinates wrapped (Edge::Wrap) or clipped (Edge::Clamp);
// (px, py) passed are the unwrapped pixel centre coordinates.
void forEachPixelInBox(int width, int height, glm::vec2 lo, glm::vec2 hi, Edge edge,
                       const std::function<void(int x, int y, glm::vec2 centre)>& fn);

// Distance from p to the segment a..b, and the segment parameter of the closest point.
glm::vec2 segmentDistance(glm::vec2 p, glm::vec2 a, glm::vec2 b);

}  // namespace vximg
