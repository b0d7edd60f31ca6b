#pragma once
// Triangle meshes built from simple parametric shapes. Everything here is in the
// tool's design space (right-handed, y up); faces wind counter-clockwise seen from
// outside and every vertex carries its own normal and texture coordinate.
#include <glm/glm.hpp>

#include <cstdint>
#include <vector>

namespace modelkit {

struct Mesh {
    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec2> uvs;
    std::vector<std::uint32_t> indices;  // three per triangle

    std::size_t triangleCount() const { return indices.size() / 3; }
    void append(const Mesh& other);
    // Applies an affine map to positions and the matching inverse transpose to normals.
    void transform(const glm::mat4& m);
};

// Ellipsoid with the given radii along the columns of `axes` (an orthonormal frame).
Mesh ellipsoid(glm::vec3 centre, glm::vec3 radii, int slices, int stacks,
               const glm::mat3& axes = glm::mat3(1.0f));

// A tube swept along a polyline with a radius per point; ends closed with rounded caps.
Mesh sweep(const std::vector<glm::vec3>& path, const std::vector<float>& radii, int sides,
           bool capStart = true, bool capEnd = true);

// Surface of revolution about +y: profile points (radius, height), bottom to top.
// `scaleX`/`scaleZ` stretch the rings into ellipses. Ends with radius 0 become poles.
Mesh lathe(const std::vector<glm::vec2>& profile, int slices, float scaleX = 1.0f,
           float scaleZ = 1.0f, float uRepeat = 1.0f);

// A curved leaf: a thin blade from `base` along `dir`, bending by `droop`, width `width`.
Mesh leaf(glm::vec3 base, glm::vec3 dir, glm::vec3 up, float length, float width, float droop,
          int segments);

}  // namespace modelkit
