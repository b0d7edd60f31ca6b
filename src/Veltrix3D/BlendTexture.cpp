#include "Shader/CheckPoint.h"
#include "Shader/ContextObjects.h"
#include "Veltrix3D/BlurBlendPass.h"
#include "Veltrix3D/PostProcessing.h"

namespace VX3D {
namespace {

struct BlendPass {
    std::shared_ptr<GLutil::ShaderProgram> program;
    std::unique_ptr<GLutil::DrawableVAO> quad;
    std::unique_ptr<GLutil::FBO> target;
};

BlendPass makeBlendPass(int width, int height) {
    BlendPass pass;
    pass.program = pass::makeProgram("BlendTextureShader", "BlendTexture");
    pass.quad = pass::makeScreenQuad();
    pass.target = pass::makeColourTarget(width, height, true, true);
    return pass;
}

}  // namespace

std::shared_ptr<GLutil::TextureHandle> blendTexture(
    const std::shared_ptr<GLutil::TextureHandle>& texture1,
    const std::shared_ptr<GLutil::TextureHandle>& texture2, int width, int height) {
    // Made at the first call and kept until the shutdown releases it (see shadowblurTexture).
    static GLutil::Kept<BlendPass> kept(
        [=] { return std::make_unique<BlendPass>(makeBlendPass(width, height)); });
    BlendPass& pass = *kept;
    GLUTIL_CHECKPOINT("VX3D::blendTexture");
    pass.program->use();
    return pass::composite("VX3D::blendTexture", *pass.program, *pass.quad, *pass.target, texture1,
                           texture2);
}

}  // namespace VX3D
