#include "Veltrix3D/BlurBlendPass.h"

#include "Shader/CheckPoint.h"
#include "Shader/ShaderStore.h"
#include "Veltrix3D/RenderState.h"

#include <glm/glm.hpp>

#include <vector>

namespace VX3D::pass {

std::unique_ptr<GLutil::DrawableVAO> makeScreenQuad() {
    auto quad = std::make_unique<GLutil::DrawableVAO>();
    quad->addBuffer(0, std::vector<glm::vec3>{{-1, 1, 0}, {1, 1, 0}, {1, -1, 0}, {-1, -1, 0}});
    quad->addBuffer(1, std::vector<glm::vec2>{{0, 1}, {1, 1}, {1, 0}, {0, 0}});
    quad->mode = GL_QUADS;
    return quad;
}

std::shared_ptr<GLutil::ShaderProgram> makeProgram(const std::string& name,
                                                   const std::string& file) {
    auto program = std::make_shared<GLutil::ShaderProgram>(name);
    program->attatch(GLutil::ShaderStore::getShader("Shader/" + file + ".vert"));
    program->attatch(GLutil::ShaderStore::getShader("Shader/" + file + ".frag"));
    program->bindAttributeLocation(0, "vertex");
    program->bindAttributeLocation(1, "uv");
    program->link();
    program->validate();
    program->use();
    GLutil::ShaderProgram::unuse();
    return program;
}

std::unique_ptr<GLutil::FBO> makeColourTarget(int width, int height, bool mipmaps, bool withDepth) {
    auto target = std::make_unique<GLutil::FBO>(width, height, mipmaps);
    target->attatchTexture(GL_RGBA8, GL_RGBA, GL_COLOR_ATTACHMENT0);
    if (withDepth) target->attatchDepthBuffer();
    if (mipmaps) limitMipmaps(*target);
    return target;
}

void limitMipmaps(const GLutil::FBO& target) {
    for (const auto& texture : target.textures()) {
        glBindTexture(GL_TEXTURE_2D, texture->id());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, readMipmapLevels);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    GLUTIL_CHECKPOINT("VX3D::pass::limitMipmaps");
}

void beginTarget(const GLutil::FBO& target) {
    glBindFramebuffer(GL_FRAMEBUFFER, target.id());
    GLutil::FBO::checkStatus();
    glViewport(0, 0, target.width(), target.height());
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void bindTexture(int unit, const std::shared_ptr<GLutil::TextureHandle>& texture) {
    glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
    glBindTexture(GL_TEXTURE_2D, texture ? texture->id() : 0);
}

QuadStates::QuadStates()
    : blend_(RenderState::blendEnabled),
      cullFace_(RenderState::cullFaceEnabled),
      depthTest_(RenderState::depthTestEnabled) {
    RenderState::setBlend(false);
    RenderState::setCullFace(false);
    RenderState::setDepthTest(false);
}

QuadStates::~QuadStates() {
    RenderState::setBlend(blend_);
    RenderState::setCullFace(cullFace_);
    RenderState::setDepthTest(depthTest_);
}

std::shared_ptr<GLutil::TextureHandle> composite(
    const char* operation, GLutil::ShaderProgram& program, const GLutil::DrawableVAO& quad,
    GLutil::FBO& target, const std::shared_ptr<GLutil::TextureHandle>& texture1,
    const std::shared_ptr<GLutil::TextureHandle>& texture2) {
    bindTexture(0, texture1);
    glUniform1i(program.uniformLocation("tex1"), 0);
    bindTexture(1, texture2);
    glUniform1i(program.uniformLocation("tex2bw"), 1);
    beginTarget(target);
    {
        QuadStates states;
        quad.draw();
    }
    GLUTIL_CHECKPOINT(operation);
    target.finish(false);
    bindTexture(0, nullptr);
    bindTexture(1, nullptr);
    glActiveTexture(GL_TEXTURE0);
    GLutil::ShaderProgram::unuse();
    return target.getTexture(0);
}

}  // namespace VX3D::pass
