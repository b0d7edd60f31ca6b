#include "Drawables/Cube/Cube.h"

#include "Shader/ContextObjects.h"
#include "Veltrix3D/RenderState.h"

#include <glm/gtc/type_ptr.hpp>

#include <vector>

namespace VX3D {

namespace {

std::shared_ptr<GLutil::ShaderProgram> makeCubeProgram() {
    auto program = GLutil::ShaderProgram::build(
        "CubeShader", {"Shader/basic.vert", "Shader/basic.frag"}, {{0, "vVertex"}, {1, "vColour"}});
    program->validate();
    program->use();
    GLutil::ShaderProgram::unuse();
    return program;
}

const std::shared_ptr<GLutil::ShaderProgram>& cubeProgram() {
    // Made by the first cube and kept until the shutdown releases it. Being made inside the
    // static's initialisation, it is destroyed before the program registry it registered with.
    static GLutil::Kept<std::shared_ptr<GLutil::ShaderProgram>> program(
        [] { return std::make_unique<std::shared_ptr<GLutil::ShaderProgram>>(makeCubeProgram()); });
    return *program;
}

}  // namespace

const std::array<std::uint8_t, 36> Cube::indices{6, 2, 0, 6, 0, 4, 7, 5, 1, 7, 1, 3,
                                                 7, 4, 5, 7, 6, 4, 2, 1, 0, 2, 3, 1,
                                                 4, 1, 5, 4, 0, 1, 7, 2, 6, 7, 3, 2};

std::array<glm::vec3, 8> Cube::vertices(const glm::vec3& size) {
    const float x = size.x / 2.0f, y = size.y, z = size.z / 2.0f;
    return {glm::vec3(x, y, z),  glm::vec3(x, y, -z),  glm::vec3(x, 0, z),  glm::vec3(x, 0, -z),
            glm::vec3(-x, y, z), glm::vec3(-x, y, -z), glm::vec3(-x, 0, z), glm::vec3(-x, 0, -z)};
}

Cube::Cube(const glm::vec3& size, const glm::vec4& colour)
    : mesh_(std::make_shared<GLutil::DrawableVAO>()), program_(cubeProgram()) {
    const auto corners = vertices(size);
    mesh_->addBuffer(0, std::vector<glm::vec3>(corners.begin(), corners.end()));
    mesh_->addBuffer(1, std::vector<glm::vec4>(corners.size(), colour));
    mesh_->setIndices(std::vector<std::uint8_t>(indices.begin(), indices.end()));
    mesh_->mode = GL_TRIANGLES;
}

void Cube::draw(const glm::mat4& mvp) const {
    RenderState::setCullFace(false);
    program_->use();
    glUniformMatrix4fv(program_->uniformLocation("mvpMatrix"), 1, GL_FALSE, glm::value_ptr(mvp));
    mesh_->draw();
    GLutil::ShaderProgram::unuse();
    RenderState::setCullFace(true);
}

}  // namespace VX3D
