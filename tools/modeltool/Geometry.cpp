#include "Geometry.h"

#include <glm/gtc/constants.hpp>

#include <cmath>

namespace modelkit {
namespace {

constexpr float kTau = glm::two_pi<float>();

// Adds a triangle wound counter-clockwise about the direction its vertex normals
// agree on, whatever order the caller listed the corners in. Zero-area triangles
// (at poles and tips) are dropped.
void addTriangle(Mesh& m, std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    const glm::vec3 pa = m.positions[a], pb = m.positions[b], pc = m.positions[c];
    const glm::vec3 face = glm::cross(pb - pa, pc - pa);
    if (glm::dot(face, face) < 1e-16f) return;
    const glm::vec3 n = m.normals[a] + m.normals[b] + m.normals[c];
    if (glm::dot(face, n) < 0.0f) std::swap(b, c);
    m.indices.insert(m.indices.end(), {a, b, c});
}

std::uint32_t addVertex(Mesh& m, glm::vec3 p, glm::vec3 n, glm::vec2 uv) {
    m.positions.push_back(p);
    m.normals.push_back(glm::normalize(n));
    m.uvs.push_back(uv);
    return static_cast<std::uint32_t>(m.positions.size() - 1);
}

// Joins consecutive rings of equal size (each ring has its seam vertex doubled).
void stitchRings(Mesh& m, const std::vector<std::vector<std::uint32_t>>& rings) {
    for (std::size_t r = 0; r + 1 < rings.size(); ++r) {
        const auto& lo = rings[r];
        const auto& hi = rings[r + 1];
        for (std::size_t i = 0; i + 1 < lo.size(); ++i) {
            addTriangle(m, lo[i], lo[i + 1], hi[i + 1]);
            addTriangle(m, lo[i], hi[i + 1], hi[i]);
        }
    }
}

}  // namespace

void Mesh::append(const Mesh& other) {
    const auto base = static_cast<std::uint32_t>(positions.size());
    positions.insert(positions.end(), other.positions.begin(), other.positions.end());
    normals.insert(normals.end(), other.normals.begin(), other.normals.end());
    uvs.insert(uvs.end(), other.uvs.begin(), other.uvs.end());
    for (auto i : other.indices) indices.push_back(base + i);
}

void Mesh::transform(const glm::mat4& m) {
    const glm::mat3 nm = glm::transpose(glm::inverse(glm::mat3(m)));
    for (auto& p : positions) p = glm::vec3(m * glm::vec4(p, 1.0f));
    for (auto& n : normals) n = glm::normalize(nm * n);
    if (glm::determinant(glm::mat3(m)) < 0.0f)
        for (std::size_t i = 0; i + 2 < indices.size(); i += 3)
            std::swap(indices[i + 1], indices[i + 2]);
}

Mesh ellipsoid(glm::vec3 centre, glm::vec3 radii, int slices, int stacks, const glm::mat3& axes) {
    Mesh m;
    std::vector<std::vector<std::uint32_t>> rings;
    for (int j = 0; j <= stacks; ++j) {
        const float theta = glm::pi<float>() * static_cast<float>(j) / static_cast<float>(stacks);
        std::vector<std::uint32_t> ring;
        for (int i = 0; i <= slices; ++i) {
            const float phi = kTau * static_cast<float>(i) / static_cast<float>(slices);
            const glm::vec3 unit(std::cos(theta), std::sin(theta) * std::cos(phi),
                                 std::sin(theta) * std::sin(phi));
            const glm::vec3 local = unit * radii;
            const glm::vec3 normal = unit / radii;
            ring.push_back(addVertex(m, centre + axes * local, axes * normal,
                                     {static_cast<float>(i) / static_cast<float>(slices),
                                      static_cast<float>(j) / static_cast<float>(stacks)}));
        }
        rings.push_back(std::move(ring));
    }
    stitchRings(m, rings);
    return m;
}

Mesh sweep(const std::vector<glm::vec3>& path, const std::vector<float>& radii, int sides,
           bool capStart, bool capEnd) {
    Mesh m;
    const std::size_t n = path.size();
    std::vector<glm::vec3> tangents(n);
    for (std::size_t k = 0; k < n; ++k) {
        const glm::vec3 a = path[k == 0 ? 0 : k - 1];
        const glm::vec3 b = path[k + 1 < n ? k + 1 : n - 1];
        tangents[k] = glm::normalize(b - a);
    }
    // Parallel-transported frame, so the tube does not twist along bends.
    glm::vec3 ref = std::abs(tangents[0].y) < 0.9f ? glm::vec3(0, 1, 0) : glm::vec3(1, 0, 0);
    glm::vec3 u = glm::normalize(glm::cross(tangents[0], ref));
    std::vector<glm::vec3> us(n), vs(n);
    for (std::size_t k = 0; k < n; ++k) {
        u = glm::normalize(u - tangents[k] * glm::dot(u, tangents[k]));
        us[k] = u;
        vs[k] = glm::cross(tangents[k], u);
    }
    std::vector<float> arc(n, 0.0f);
    for (std::size_t k = 1; k < n; ++k) arc[k] = arc[k - 1] + glm::length(path[k] - path[k - 1]);
    const float total = arc.back() > 0.0f ? arc.back() : 1.0f;

    struct Ring {
        glm::vec3 centre;
        float radius;
        std::size_t frame;
        float tilt;
        float v;
    };
    std::vector<Ring> plan;
    const float capAngles[] = {1.2f, 0.8f};  // radians from the axis; pole added separately
    if (capStart) {
        plan.push_back({path[0] - tangents[0] * radii[0], 0.0f, 0, -glm::half_pi<float>(), 0.0f});
        for (float a : capAngles)
            plan.push_back({path[0] - tangents[0] * radii[0] * std::cos(a), radii[0] * std::sin(a),
                            0, -(glm::half_pi<float>() - a), 0.0f});
    }
    for (std::size_t k = 0; k < n; ++k) {
        const float dr = (radii[k + 1 < n ? k + 1 : n - 1] - radii[k == 0 ? 0 : k - 1]) /
                         std::max(1e-5f, arc[k + 1 < n ? k + 1 : n - 1] - arc[k == 0 ? 0 : k - 1]);
        plan.push_back({path[k], radii[k], k, std::atan(-dr), arc[k] / total});
    }
    if (capEnd) {
        const std::size_t e = n - 1;
        for (int i = 1; i >= 0; --i) {
            const float a = capAngles[i];
            plan.push_back({path[e] + tangents[e] * radii[e] * std::cos(a), radii[e] * std::sin(a),
                            e, glm::half_pi<float>() - a, 1.0f});
        }
        plan.push_back({path[e] + tangents[e] * radii[e], 0.0f, e, glm::half_pi<float>(), 1.0f});
    }
    std::vector<std::vector<std::uint32_t>> rings;
    for (const Ring& r : plan) {
        std::vector<std::uint32_t> ring;
        for (int i = 0; i <= sides; ++i) {
            const float a = kTau * static_cast<float>(i) / static_cast<float>(sides);
            const glm::vec3 radial = std::cos(a) * us[r.frame] + std::sin(a) * vs[r.frame];
            const glm::vec3 normal =
                std::cos(r.tilt) * radial + std::sin(r.tilt) * tangents[r.frame];
            ring.push_back(addVertex(m, r.centre + radial * r.radius, normal,
                                     {static_cast<float>(i) / static_cast<float>(sides), r.v}));
        }
        rings.push_back(std::move(ring));
    }
    stitchRings(m, rings);
    return m;
}

Mesh lathe(const std::vector<glm::vec2>& profile, int slices, float scaleX, float scaleZ,
           float uRepeat) {
    Mesh m;
    const std::size_t n = profile.size();
    std::vector<float> arc(n, 0.0f);
    for (std::size_t k = 1; k < n; ++k)
        arc[k] = arc[k - 1] + glm::length(profile[k] - profile[k - 1]);
    std::vector<std::vector<std::uint32_t>> rings;
    for (std::size_t k = 0; k < n; ++k) {
        const glm::vec2 d = profile[k + 1 < n ? k + 1 : n - 1] - profile[k == 0 ? 0 : k - 1];
        // Outward normal in the profile plane: the tangent turned clockwise.
        glm::vec2 pn = glm::normalize(glm::vec2(d.y, -d.x));
        std::vector<std::uint32_t> ring;
        for (int i = 0; i <= slices; ++i) {
            const float phi = kTau * static_cast<float>(i) / static_cast<float>(slices);
            const float c = std::cos(phi), s = std::sin(phi);
            const glm::vec3 p(scaleX * profile[k].x * c, profile[k].y, scaleZ * profile[k].x * s);
            const glm::vec3 normal(pn.x * c / scaleX, pn.y, pn.x * s / scaleZ);
            ring.push_back(addVertex(m, p, normal,
                                     {uRepeat * static_cast<float>(i) / static_cast<float>(slices),
                                      arc[k] / std::max(1e-5f, arc.back())}));
        }
        rings.push_back(std::move(ring));
    }
    stitchRings(m, rings);
    return m;
}

Mesh leaf(glm::vec3 base, glm::vec3 dir, glm::vec3 up, float length, float width, float droop,
          int segments) {
    Mesh m;
    dir = glm::normalize(dir);
    const glm::vec3 side = glm::normalize(glm::cross(dir, up));
    up = glm::normalize(glm::cross(side, dir));
    // Two skins, one per face, a hair apart so both sides light correctly.
    for (int face = 0; face < 2; ++face) {
        const float sign = face == 0 ? 1.0f : -1.0f;
        std::vector<std::vector<std::uint32_t>> rings;
        for (int k = 0; k <= segments; ++k) {
            const float s = static_cast<float>(k) / static_cast<float>(segments);
            const glm::vec3 centre = base + dir * (length * s) - up * (droop * length * s * s);
            const glm::vec3 tangent =
                glm::normalize(dir * length - up * (2.0f * droop * length * s));
            const glm::vec3 normal = glm::normalize(glm::cross(side, tangent)) * sign;
            const float w =
                width * std::pow(std::sin(glm::pi<float>() * std::min(0.98f, 0.08f + s)), 0.7f);
            const glm::vec3 off = normal * (0.002f * sign * length);
            std::vector<std::uint32_t> ring;
            ring.push_back(addVertex(m, centre - side * w + off - normal * 0.06f * w * sign, normal,
                                     {0.0f, s}));
            ring.push_back(
                addVertex(m, centre + off + normal * 0.04f * w * sign, normal, {0.5f, s}));
            ring.push_back(addVertex(m, centre + side * w + off - normal * 0.06f * w * sign, normal,
                                     {1.0f, s}));
            rings.push_back(std::move(ring));
        }
        stitchRings(m, rings);
    }
    return m;
}

}  // namespace modelkit
