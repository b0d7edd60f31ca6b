#include "Shader/CheckPoint.h"
#include "Shader/ContextObjects.h"
#include "Veltrix3D/BlurBlendPass.h"
#include "Veltrix3D/PostProcessing.h"

#include <GL/glew.h>

#include <algorithm>
#include <memory>

namespace VX3D {

namespace {

// Colour (linear filtering, which the compositing's upsampling relies on), the depth of the
// nearest fog, and a depth buffer of the scene's kind, so that the scene's depth can be copied
// into it.
std::unique_ptr<GLutil::FBO> makeFogTarget(int width, int height) {
    auto target = pass::makeColourTarget(std::max(1, width / fogReduction),
                                         std::max(1, height / fogReduction), false, true);
    target->attatchTexture(GL_R32F, GL_RED, GL_COLOR_ATTACHMENT1);
    return target;
}

// The scene's depth at full size, as a texture the compositing reads texel by texel.
std::unique_ptr<GLutil::FBO> makeDepthCopy(int width, int height) {
    auto target = std::make_unique<GLutil::FBO>(width, height, false);
    target->attatchTexture(GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, GL_DEPTH_ATTACHMENT);
    glBindTexture(GL_TEXTURE_2D, target->getTexture(0)->id());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_NONE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    return target;
}

void copyDepth(const GLutil::FBO& from, const GLutil::FBO& to) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, from.id());
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to.id());
    glBlitFramebuffer(0, 0, from.width(), from.height(), 0, 0, to.width(), to.height(),
                      GL_DEPTH_BUFFER_BIT, GL_NEAREST);
}

GLutil::FBO* depthCopy = nullptr;

}  // namespace

GLutil::FBO& beginFogLayer(const GLutil::FBO& sceneTarget, int width, int height) {
    // Made at the first call and kept until the shutdown releases them (see shadowblurTexture).
    static GLutil::Kept<GLutil::FBO> keptTarget([=] { return makeFogTarget(width, height); });
    static GLutil::Kept<GLutil::FBO> keptDepth([=] { return makeDepthCopy(width, height); });
    GLutil::FBO& target = *keptTarget;
    depthCopy = &*keptDepth;
    copyDepth(sceneTarget, *depthCopy);
    // One sample per reduced pixel, so that whatever stands in front of the fog hides it; what
    // is too small to be sampled the compositing finds in the full-size copy.
    copyDepth(sceneTarget, target);
    glBindFramebuffer(GL_FRAMEBUFFER, target.id());
    static constexpr GLenum buffers[] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
    glDrawBuffers(2, buffers);
    GLutil::FBO::checkStatus();
    glViewport(0, 0, target.width(), target.height());
    // Transparent where no particle lands (the layer is premultiplied colour and coverage), and
    // no fog nearer than the far plane. The nearest fog is kept by the smaller of the depths.
    static constexpr GLfloat clear[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    static constexpr GLfloat far[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    glClearBufferfv(GL_COLOR, 0, clear);
    glClearBufferfv(GL_COLOR, 1, far);
    glBlendEquationi(1, GL_MIN);
    GLUTIL_CHECKPOINT("VX3D::beginFogLayer");
    return target;
}

FogLayer endFogLayer(GLutil::FBO& target, const FogCover& cover) {
    glBlendEquationi(1, GL_FUNC_ADD);
    target.finish(false);
    GLUTIL_CHECKPOINT("VX3D::endFogLayer");
    if (!cover.shown) return {};
    return {target.getTexture(0), target.getTexture(1), depthCopy->getTexture(0), cover};
}

}  // namespace VX3D
