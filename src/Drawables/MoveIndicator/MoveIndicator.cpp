#include "Drawables/MoveIndicator/MoveIndicator.h"

#include "Shader/ContextObjects.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <cmath>
#include <stdexcept>

namespace VX3D {

namespace {

std::shared_ptr<GLutil::ShaderProgram> makeIndicatorProgram() {
    auto program = GLutil::ShaderProgram::build("MoveIndicatorShader",
                                                {"Shader/basic.vert", "Shader/basic.frag"},
                                                {{0, "vVertex"}, {1, "vColour"}});
    program->validate();
    program->use();
    GLutil::ShaderProgram::unuse();
    return program;
}

const std::shared_ptr<GLutil::ShaderProgram>& indicatorProgram() {
    // Made by the first indicator and kept until the shutdown releases it (see Cube.cpp).
    static GLutil::Kept<std::shared_ptr<GLutil::ShaderProgram>> program([] {
        return std::make_unique<std::shared_ptr<GLutil::ShaderProgram>>(makeIndicatorProgram());
    });
    return *program;
}

std::vector<glm::vec4> lineEnds(const std::vector<float>& vertices) {
    if (vertices.size() < 8) {
        throw std::out_of_range("invalid vector<T> subscript");
    }
    return {glm::make_vec4(vertices.data()), glm::make_vec4(vertices.data() + 4)};
}

}  // namespace

MoveIndicator::MoveIndicator(int antId, Veltrix::Position startCell, const glm::vec4& target)
    : antId(antId),
      cell(startCell),
      vertices{float(startCell.x) + 0.5f,
               0.35f,
               -(float(startCell.y) + 0.5f),
               1.0f,
               target.x,
               target.y,
               target.z,
               target.w},
      line_(std::make_shared<GLutil::DrawableVAO>()),
      marker_(glm::vec3(0.1f, 0.3f, 0.1f), glm::vec4(0.0f, 0.0f, 1.0f, 1.0f)),
      program_(indicatorProgram()) {
    // Rewritten at every mouse movement while the player drags.
    line_->addBuffer(0, lineEnds(vertices), GL_DYNAMIC_COPY);
    line_->addBuffer(1, std::vector<glm::vec4>{{0.0f, 0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}});
    line_->mode = GL_LINES;
}

glm::ivec2 MoveIndicator::quantise(const glm::vec4& start, const glm::vec4& end) {
    const float ax = end.x - start.x;
    const float ay = -(end.z - start.z);  // the field's y grows towards world −z
    if (std::abs(ax) < 0.5f && std::abs(ay) < 0.5f) {
        return {0, 0};
    }
    const float length = std::sqrt(ax * ax + ay * ay);
    // cos 60° = sin 30° = 0.5: within 30° of an axis the other component drops out.
    const int dx = std::abs(ax) / length < 0.5f ? 0 : (ax > 0.0f ? 1 : -1);
    const int dy = std::abs(ay) / length < 0.5f ? 0 : (ay > 0.0f ? 1 : -1);
    return {dx, dy};
}

glm::ivec2 MoveIndicator::quantisedDirection() const {
    const auto ends = lineEnds(vertices);
    return quantise(ends[0], ends[1]);
}

glm::vec3 MoveIndicator::markerPosition() const {
    const glm::ivec2 step = quantisedDirection();
    return {vertices[0] + float(step.x), 0.0f, vertices[2] - float(step.y)};
}

void MoveIndicator::setTarget(const glm::vec4& target) {
    if (vertices.size() < 8) {
        throw std::out_of_range("invalid vector<T> subscript");
    }
    vertices[4] = target.x;
    vertices[5] = target.y;
    vertices[6] = target.z;
    vertices[7] = target.w;
    const auto ends = lineEnds(vertices);
    // Same buffer, new contents: the vertex array keeps pointing at it.
    line_->buffers().at(0)->initBuffer(GLsizeiptr(ends.size() * sizeof(glm::vec4)), ends.data(),
                                       GL_DYNAMIC_DRAW);
    line_->buffers().at(0)->unbind();
}

void MoveIndicator::draw(const glm::mat4& mvp) {
    program_->use();
    glUniformMatrix4fv(program_->uniformLocation("mvpMatrix"), 1, GL_FALSE, glm::value_ptr(mvp));
    line_->draw();
    GLutil::ShaderProgram::unuse();
    marker_.draw(mvp * glm::translate(glm::mat4(1.0f), markerPosition()));
}

}  // namespace VX3D
