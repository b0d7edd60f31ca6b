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
    // Nothing reads its reduced levels or its depth: the next passes read it texel by texel.
    pass.target = pass::makeColourTarget(width, height, false, false);
    return pass;
}

}  // namespace

std::shared_ptr<GLutil::TextureHandle> blendTexture(
    const std::shared_ptr<GLutil::TextureHandle>& texture1,
    const std::shared_ptr<GLutil::TextureHandle>& texture2, int width, int height,
    const FogLayer& fog) {
    // Made at the first call and kept until the shutdown releases it (see shadowblurTexture).
    static GLutil::Kept<BlendPass> kept(
        [=] { return std::make_unique<BlendPass>(makeBlendPass(width, height)); });
    BlendPass& pass = *kept;
    GLUTIL_CHECKPOINT("VX3D::blendTexture");
    pass.program->use();
    glUniform1i(pass.program->uniformLocation("withFog"), fog.colour ? 1 : 0);
    glUniform1i(pass.program->uniformLocation("fogLayer"), 2);
    glUniform1i(pass.program->uniformLocation("fogNearest"), 3);
    glUniform1i(pass.program->uniformLocation("sceneDepth"), 4);
    const FogCover& cover = fog.cover;
    glUniformMatrix4fv(pass.program->uniformLocation("inverseViewProjection"), 1, GL_FALSE,
                       &cover.inverseViewProjection[0][0]);
    glUniform3fv(pass.program->uniformLocation("antPos1"), 1, &cover.seenFrom[0][0]);
    glUniform3fv(pass.program->uniformLocation("antPos2"), 1, &cover.seenFrom[1][0]);
    glUniform1f(pass.program->uniformLocation("sichtweite"), cover.range);
    pass::bindTexture(2, fog.colour);
    pass::bindTexture(3, fog.nearest);
    pass::bindTexture(4, fog.sceneDepth);
    auto result = pass::composite("VX3D::blendTexture", *pass.program, *pass.quad, *pass.target,
                                  texture1, texture2);
    for (int unit : {2, 3, 4}) pass::bindTexture(unit, nullptr);
    glActiveTexture(GL_TEXTURE0);
    return result;
}

}  // namespace VX3D
