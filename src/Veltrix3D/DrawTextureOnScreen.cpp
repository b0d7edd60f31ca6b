#include "Veltrix3D/PostProcessing.h"

#include "Shader/CheckPoint.h"
#include "Shader/ContextObjects.h"
#include "Shader/ShaderProgram.h"
#include "Shader/ShaderStore.h"
#include "VAO/DrawableVAO.h"

#include <glm/glm.hpp>

#include <vector>

namespace VX3D {
namespace {

// The quad every full-screen pass draws: clip-space corners, texture coordinates with v up.
std::unique_ptr<GLutil::DrawableVAO> makeScreenQuad() {
    auto quad = std::make_unique<GLutil::DrawableVAO>();
    quad->addBuffer(0, std::vector<glm::vec3>{{-1, 1, 0}, {1, 1, 0}, {1, -1, 0}, {-1, -1, 0}});
    quad->addBuffer(1, std::vector<glm::vec2>{{0, 1}, {1, 1}, {1, 0}, {0, 0}});
    quad->mode = GL_QUADS;
    return quad;
}

struct TextureOnlyPass {
    std::shared_ptr<GLutil::ShaderProgram> program;
    std::unique_ptr<GLutil::DrawableVAO> quad;
};

TextureOnlyPass makeTextureOnlyPass() {
    TextureOnlyPass pass;
    pass.program = std::make_shared<GLutil::ShaderProgram>("TextureOnlyShader");
    pass.program->attatch(GLutil::ShaderStore::getShader("Shader/TextureOnly.vert"));
    pass.program->attatch(GLutil::ShaderStore::getShader("Shader/TextureOnly.frag"));
    pass.program->bindAttributeLocation(0, "vertex");
    pass.program->bindAttributeLocation(1, "uv");
    pass.program->link();
    pass.program->validate();
    pass.program->use();
    GLutil::ShaderProgram::unuse();
    pass.quad = makeScreenQuad();
    return pass;
}

TextureOnlyPass& textureOnlyPass() {
    // Made at the first call and kept until the shutdown releases it. A failing shader file
    // leaves the pass unmade, so the next call raises the error again instead of using a
    // half-built pass.
    static GLutil::Kept<TextureOnlyPass> pass(
        [] { return std::make_unique<TextureOnlyPass>(makeTextureOnlyPass()); });
    return *pass;
}

}  // namespace

void drawTextureOnScreen(const std::shared_ptr<GLutil::TextureHandle>& texture) {
    TextureOnlyPass& pass = textureOnlyPass();
    GLUTIL_CHECKPOINT("VX3D::drawTextureOnScreen");
    pass.program->use();
    if (texture) {
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture->id());
        glUniform1i(pass.program->uniformLocation("textureMap"), 0);
    }
    // A screen is a picture, not geometry: under the wireframe setting it is still drawn
    // filled, and the setting is handed back as it was.
    GLint modes[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    pass.quad->draw();
    glPolygonMode(GL_FRONT_AND_BACK, static_cast<GLenum>(modes[0]));
    GLUTIL_CHECKPOINT("VX3D::drawTextureOnScreen");
    if (texture) {
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    GLutil::ShaderProgram::unuse();
}

}  // namespace VX3D
