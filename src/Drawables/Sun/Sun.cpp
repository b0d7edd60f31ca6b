#include "Drawables/Sun/Sun.h"

#include "Shader/CheckPoint.h"
#include "Shader/ShaderStore.h"
#include "Veltrix3D/RenderState.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <cmath>
#include <iostream>

namespace VX3D {

glm::mat4 shadowMapMatrix(const glm::mat4& lightViewProjection) {
    const glm::mat4 bias = glm::translate(glm::mat4(1.0f), glm::vec3(0.5f)) *
                           glm::scale(glm::mat4(1.0f), glm::vec3(0.5f));
    return bias * lightViewProjection;
}

Sun::Sun(int balanceScale) : balanceScale(balanceScale), texture_("res/Textures/Sun.png", 0) {
    const Disc disc = discMesh();
    disc_.mode = GL_TRIANGLE_FAN;
    disc_.addBuffer(0, disc.positions);
    disc_.addBuffer(1, disc.uvs);

    program_ = std::make_shared<GLutil::ShaderProgram>("SunShader");
    program_->attatch(GLutil::ShaderStore::getShader("Shader/Sun.vert"));
    program_->attatch(GLutil::ShaderStore::getShader("Shader/Sun.frag"));
    program_->bindAttributeLocation(0, "vertex");
    program_->bindAttributeLocation(1, "UV");
    program_->link();
    program_->validate();
    program_->setConstant("textureMap", 0);
    GLutil::ShaderProgram::unuse();
}

glm::mat4 Sun::lightProjection() {
    return glm::perspective(glm::radians(120.0f), 1.5f, 1.0f, 20.0f);
}

glm::mat4 Sun::lightMatrix() const {
    return lightProjection() *
           glm::rotate(glm::mat4(1.0f), glm::radians(90.0f), glm::vec3(1.0f, 0.0f, 0.0f)) *
           glm::translate(glm::mat4(1.0f), -position);
}

void Sun::scoreChanged(int player) {
    if (player == 0) {
        balance -= 1;
        position.x -= 0.1f;
    } else {
        balance += 1;
        position.x += 0.1f;
    }
    std::cout << "ScoreBalance: " << balance << "\n";
}

glm::vec4 Sun::dominantColor() const {
    if (balance == 0) return glm::vec4(0.0f);
    const float strength = static_cast<float>(balance) / static_cast<float>(balanceScale);
    if (balance < 0) return {1.0f, 0.0f, 0.0f, -strength};
    return {0.0f, 0.0f, 1.0f, strength};
}

Sun::Disc Sun::discMesh() {
    Disc disc;
    disc.positions.emplace_back(0.0f, 0.0f, 0.0f);
    disc.uvs.emplace_back(0.5f, 0.5f);
    for (int k = 0; k <= 48; ++k) {
        const float theta = glm::radians(7.5f * static_cast<float>(k));
        const float s = std::sin(theta), c = std::cos(theta);
        disc.positions.emplace_back(s, c, 0.0f);
        disc.uvs.emplace_back(0.5f * s + 0.5f, 0.5f * c + 0.5f);
    }
    return disc;
}

void Sun::draw(const glm::mat4& view, const glm::mat4& projection) {
    program_->use();
    RenderState::setCullFace(false);
    // The rotation of the camera undone: the disc always faces the eye.
    const glm::mat4 billboard(glm::mat3(glm::inverse(view)));
    const glm::mat4 mvp = projection * view * glm::translate(glm::mat4(1.0f), position) * billboard;
    glUniformMatrix4fv(program_->uniformLocation("mvpMatrix"), 1, GL_FALSE, glm::value_ptr(mvp));
    glUniform4fv(program_->uniformLocation("dominantColor"), 1, glm::value_ptr(dominantColor()));
    texture_.bind();
    disc_.draw();
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(texture_.unit()));
    glBindTexture(GL_TEXTURE_2D, 0);
    RenderState::setCullFace(true);
    GLutil::ShaderProgram::unuse();
    GLUTIL_CHECKPOINT("VX3D::Sun::draw");
}

}  // namespace VX3D
