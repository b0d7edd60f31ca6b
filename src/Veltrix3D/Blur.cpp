#include "Veltrix3D/Blur.h"

#include "Shader/CheckPoint.h"
#include "Shader/ContextObjects.h"
#include "Veltrix3D/BlurBlendPass.h"
#include "Veltrix3D/PostProcessing.h"

namespace VX3D {

Blur::Blur(const char* operation, int width, int height, float factor)
    : operation_(operation),
      program_(pass::makeProgram("BlurShader", "Blur")),
      quad_(pass::makeScreenQuad()),
      reduced_(pass::makeColourTarget(static_cast<int>(static_cast<float>(width) / factor),
                                      static_cast<int>(static_cast<float>(height) / factor), false,
                                      false)),
      full_(pass::makeColourTarget(width, height, false, false)) {}

std::shared_ptr<GLutil::TextureHandle> Blur::operator()(
    const std::shared_ptr<GLutil::TextureHandle>& texture, int width, int height, float factor) {
    GLUTIL_CHECKPOINT(operation_);
    pass::QuadStates states;
    program_->use();

    // Along x, into the reduced target: sampling the source at a coarser grid also averages
    // it (through its mipmaps where it has them), which is half the blur for free.
    pass::beginTarget(*reduced_);
    glUniform1i(program_->uniformLocation("horizontal"), 1);
    glUniform1f(program_->uniformLocation("step"), 1.0f / (static_cast<float>(width) / factor));
    pass::bindTexture(0, texture);
    glUniform1i(program_->uniformLocation("textureMap"), 0);
    quad_->draw();
    glBindTexture(GL_TEXTURE_2D, 0);
    reduced_->finish(false);

    // Along y, back to full size.
    pass::beginTarget(*full_);
    glUniform1i(program_->uniformLocation("horizontal"), 0);
    glUniform1f(program_->uniformLocation("step"), 1.0f / (static_cast<float>(height) / factor));
    pass::bindTexture(0, reduced_->getTexture(0));
    quad_->draw();
    GLUTIL_CHECKPOINT(operation_);
    glBindTexture(GL_TEXTURE_2D, 0);
    full_->finish(false);
    GLutil::ShaderProgram::unuse();
    return full_->getTexture(0);
}

// Each blur is made at its first call, with that call's size and factor, and kept until the
// shutdown releases it. Made inside the static's initialisation (as drawTextureOnScreen's
// pass), so a failing shader file leaves it unmade and the next call raises the error again.

std::shared_ptr<GLutil::TextureHandle> shadowblurTexture(
    const std::shared_ptr<GLutil::TextureHandle>& texture, int width, int height, float factor) {
    static GLutil::Kept<Blur> blur(
        [=] { return std::make_unique<Blur>("VX3D::shadowblurTexture", width, height, factor); });
    return (*blur)(texture, width, height, factor);
}

std::shared_ptr<GLutil::TextureHandle> glowblurTexture(
    const std::shared_ptr<GLutil::TextureHandle>& texture, int width, int height, float factor) {
    static GLutil::Kept<Blur> blur(
        [=] { return std::make_unique<Blur>("VX3D::glowblurTexture", width, height, factor); });
    return (*blur)(texture, width, height, factor);
}

}  // namespace VX3D
