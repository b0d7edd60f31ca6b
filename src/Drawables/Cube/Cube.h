#pragma once
// A solid box of one colour standing on y = 0, centred on the y axis: the marker of the move
// indicator and the ants' pick markers. All cubes share one program, made by the first.
#include "Shader/ShaderProgram.h"
#include "VAO/DrawableVAO.h"

#include <glm/glm.hpp>

#include <array>
#include <cstdint>
#include <memory>

namespace VX3D {

class Cube {
public:
    Cube(const glm::vec3& size, const glm::vec4& colour);
    // Both faces drawn, so the cube looks solid whatever the winding of the view.
    void draw(const glm::mat4& mvp) const;

    // (±sx/2, 0 or sy, ±sz/2): top then bottom, +x before −x, +z before −z within each.
    static std::array<glm::vec3, 8> vertices(const glm::vec3& size);
    // Twelve triangles over those eight vertices.
    static const std::array<std::uint8_t, 36> indices;

private:
    // Never changed after construction, so copies of a cube share it.
    std::shared_ptr<GLutil::DrawableVAO> mesh_;
    std::shared_ptr<GLutil::ShaderProgram> program_;
};

}  // namespace VX3D
