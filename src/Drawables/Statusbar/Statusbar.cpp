#include "Drawables/Statusbar/Statusbar.h"

#include "Shader/ShaderStore.h"
#include "Veltrix3D/RenderState.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <vector>

namespace VX3D {

Statusbar::Statusbar(int maximum)
    : current(maximum),
      maximum(maximum),
      quad_(std::make_shared<GLutil::DrawableVAO>()),
      program_(GLutil::ShaderStore::sharedProgram("StatusbarShader", [] {
          auto program = GLutil::ShaderProgram::build(
              "StatusbarShader", {"Shader/Solid.vert", "Shader/Solid.frag"}, {{0, "vertex"}});
          program->validate();
          program->use();
          GLutil::ShaderProgram::unuse();
          return program;
      })) {
    // Half a cell wide, centred on x so that the scale shrinks it towards its middle.
    quad_->addBuffer(0, std::vector<glm::vec3>{{-0.25f, 0.0f, 0.0f},
                                               {-0.25f, 0.06f, 0.0f},
                                               {0.25f, 0.06f, 0.0f},
                                               {0.25f, 0.0f, 0.0f}});
    quad_->mode = GL_QUADS;
}

float Statusbar::fraction(int current, int maximum) {
    if (maximum <= 0) {
        return 0.0f;
    }
    return std::clamp(static_cast<float>(current) / static_cast<float>(maximum), 0.0f, 1.0f);
}

glm::vec4 Statusbar::colour(float fraction) {
    return {1.0f - fraction, fraction, 0.0f, 0.8f};
}

glm::mat4 Statusbar::modelViewProjection(const glm::mat4& view, const glm::mat4& projection,
                                         const glm::vec3& position, float fraction) {
    // The inverse of the view's rotation turns the quad's plane to face the camera.
    const glm::mat4 billboard(glm::mat3(glm::inverse(view)));
    return projection * view * glm::translate(glm::mat4(1.0f), position) * billboard *
           glm::scale(glm::mat4(1.0f), glm::vec3(fraction, 1.0f, 1.0f));
}

void Statusbar::draw(const glm::mat4& view, const glm::mat4& projection,
                     const glm::vec3& position) {
    RenderState::setCullFace(false);
    program_->use();
    const float f = fraction();
    glUniform4fv(program_->uniformLocation("color"), 1, glm::value_ptr(colour(f)));
    glUniformMatrix4fv(program_->uniformLocation("mvpMatrix"), 1, GL_FALSE,
                       glm::value_ptr(modelViewProjection(view, projection, position, f)));
    quad_->draw();
    GLutil::ShaderProgram::unuse();
    RenderState::setCullFace(true);
}

}  // namespace VX3D
