#include "Drawables/Skybox/Skybox.h"

#include "Shader/CheckPoint.h"
#include "Shader/ShaderStore.h"
#include "Veltrix3D/RenderState.h"

#include <glm/gtc/type_ptr.hpp>

#include <vector>

namespace VX3D {

namespace {
constexpr float third = 1.0f / 3.0f;
constexpr float twoThirds = 2.0f / 3.0f;
}  // namespace

const std::array<Skybox::Vertex, 24> Skybox::vertices = {{
    // z = +1
    {{-1, 1, 1}, {0.25f, third}},
    {{1, 1, 1}, {0.5f, third}},
    {{1, -1, 1}, {0.5f, twoThirds}},
    {{-1, -1, 1}, {0.25f, twoThirds}},
    // x = −1
    {{-1, 1, -1}, {0.0f, third}},
    {{-1, 1, 1}, {0.25f, third}},
    {{-1, -1, 1}, {0.25f, twoThirds}},
    {{-1, -1, -1}, {0.0f, twoThirds}},
    // z = −1
    {{1, 1, -1}, {0.75f, third}},
    {{-1, 1, -1}, {1.0f, third}},
    {{-1, -1, -1}, {1.0f, twoThirds}},
    {{1, -1, -1}, {0.75f, twoThirds}},
    // x = +1
    {{1, 1, 1}, {0.5f, third}},
    {{1, 1, -1}, {0.75f, third}},
    {{1, -1, -1}, {0.75f, twoThirds}},
    {{1, -1, 1}, {0.5f, twoThirds}},
    // y = +1
    {{-1, 1, 1}, {0.25f, third}},
    {{-1, 1, -1}, {0.25f, 0.0f}},
    {{1, 1, -1}, {0.5f, 0.0f}},
    {{1, 1, 1}, {0.5f, third}},
    // y = −1
    {{-1, -1, -1}, {0.25f, 1.0f}},
    {{-1, -1, 1}, {0.25f, twoThirds}},
    {{1, -1, 1}, {0.5f, twoThirds}},
    {{1, -1, -1}, {0.5f, 1.0f}},
}};

Skybox::Skybox(const std::string& texturePath) : texture_(texturePath, 0) {
    std::vector<glm::vec3> positions;
    std::vector<glm::vec2> uvs;
    for (const Vertex& v : vertices) {
        positions.push_back(v.position);
        uvs.push_back(v.uv);
    }
    cube_.mode = GL_QUADS;
    cube_.addBuffer(0, positions);
    cube_.addBuffer(1, uvs);

    program_ = std::make_shared<GLutil::ShaderProgram>("SkyboxShader");
    program_->attatch(GLutil::ShaderStore::getShader("Shader/Skybox.vert"));
    program_->attatch(GLutil::ShaderStore::getShader("Shader/Skybox.frag"));
    program_->bindAttributeLocation(0, "vertex");
    program_->bindAttributeLocation(1, "uv");
    program_->link();
    program_->validate();
    program_->use();
    GLutil::ShaderProgram::unuse();
    GLUTIL_CHECKPOINT("VX3D::Skybox::Skybox");
}

glm::mat4 Skybox::skyMatrix(const glm::mat4& view, const glm::mat4& projection) {
    glm::mat4 rotationOnly = view;
    rotationOnly[3] = glm::vec4(0.0f, 0.0f, 0.0f, view[3][3]);
    return projection * rotationOnly;
}

void Skybox::draw(const glm::mat4& view, const glm::mat4& projection) {
    program_->use();
    RenderState::setCullFace(false);
    RenderState::setDepthTest(false);
    // The sky is opaque: blending its three outputs would only cost time.
    const bool blending = RenderState::blendEnabled;
    RenderState::setBlend(false);
    texture_.bind();
    glUniform1i(program_->uniformLocation("cubemap"), 0);
    glUniformMatrix4fv(program_->uniformLocation("mvpMatrix"), 1, GL_FALSE,
                       glm::value_ptr(skyMatrix(view, projection)));
    cube_.draw();
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(texture_.unit()));
    glBindTexture(GL_TEXTURE_2D, 0);
    RenderState::setBlend(blending);
    RenderState::setDepthTest(true);
    RenderState::setCullFace(true);
    GLutil::ShaderProgram::unuse();
    GLUTIL_CHECKPOINT("VX3D::Skybox::draw");
}

}  // namespace VX3D
