#pragma once
// A small COLLADA 1.4 writer for node trees with one mesh per node, Phong materials
// with an optional diffuse texture, and node key-frame animation as sampled matrices.
//
// Models are built in a design space chosen per model; `designToFile` maps it to the
// file's space. The game reads ".DAE" files with Assimp's left-handed conversion
// (z negated, v flipped, winding reversed) and then draws with clockwise front
// faces, so the writer keeps the design space's counter-clockwise index order and
// stores v as 1 - v: after the conversion the faces wind clockwise and the texture
// coordinates are the design's again.
#include "Geometry.h"

#include <glm/glm.hpp>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace modelkit {

struct Material {
    std::string name;
    glm::vec3 ambient{0.0f};
    glm::vec3 diffuse{0.8f};
    glm::vec3 specular{0.0f};
    float shininess = 20.0f;
    std::string texture;  // path relative to the game's working directory, or empty
};

struct Node {
    std::string name;
    glm::mat4 transform{1.0f};  // rest transform relative to the parent, design space
    std::optional<Mesh> mesh;
    int material = -1;
    std::vector<Node> children;
    // Sampled animation: file time (seconds) and the node's transform at that time.
    std::vector<std::pair<double, glm::mat4>> keys;
};

struct Scene {
    std::string name;
    std::vector<Material> materials;
    Node root;
    glm::mat3 designToFile{1.0f};
};

// Writes the scene; throws std::runtime_error naming the path when it cannot.
void writeCollada(const Scene& scene, const std::string& path);

std::size_t triangleCount(const Node& node);
std::size_t nodeCount(const Node& node);

}  // namespace modelkit
