#include "Shader/CheckPoint.h"
#include "Shader/ContextObjects.h"
#include "Veltrix3D/BlurBlendPass.h"
#include "Veltrix3D/PostProcessing.h"

namespace VX3D {
namespace {

struct OverblendPass {
    std::shared_ptr<GLutil::ShaderProgram> program;
    std::unique_ptr<GLutil::DrawableVAO> quad;
    std::unique_ptr<GLutil::FBO> target;
};

OverblendPass makeOverblendPass(int width, int height) {
    OverblendPass pass;
    pass.program = pass::makeProgram("OverblendTextureShader", "OverblendTexture");
    pass.quad = pass::makeScreenQuad();
    // Its result goes straight to the window: no mipmaps.
    pass.target = pass::makeColourTarget(width, height, false, true);
    return pass;
}

}  // namespace

std::shared_ptr<GLutil::TextureHandle> overblendTexture(
    const std::shared_ptr<GLutil::TextureHandle>& texture1,
    const std::shared_ptr<GLutil::TextureHandle>& texture2, int width, int height,
    float distanceRatio) {
    // Made at the first call and kept until the shutdown releases it (see shadowblurTexture).
    static GLutil::Kept<OverblendPass> kept(
        [=] { return std::make_unique<OverblendPass>(makeOverblendPass(width, height)); });
    OverblendPass& pass = *kept;
    GLUTIL_CHECKPOINT("VX3D::overblendTexture");
    pass.program->use();
    glUniform1f(pass.program->uniformLocation("distanceRatio"), distanceRatio);
    return pass::composite("VX3D::overblendTexture", *pass.program, *pass.quad, *pass.target,
                           texture1, texture2);
}

}  // namespace VX3D
