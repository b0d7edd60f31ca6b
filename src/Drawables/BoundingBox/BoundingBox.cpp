#include "Drawables/BoundingBox/BoundingBox.h"

#include "Shader/ShaderStore.h"
#include "Veltrix3D/RenderState.h"

#include <glm/gtc/type_ptr.hpp>

namespace VX3D {

BoundingBox::BoundingBox(float maxX, float minX, float maxY, float minY, float maxZ, float minZ,
                         const glm::mat4& model)
    : corners_{glm::vec3(maxX, maxY, maxZ), glm::vec3(maxX, maxY, minZ),
               glm::vec3(maxX, minY, maxZ), glm::vec3(maxX, minY, minZ),
               glm::vec3(minX, maxY, maxZ), glm::vec3(minX, maxY, minZ),
               glm::vec3(minX, minY, maxZ), glm::vec3(minX, minY, minZ)},
      model_(model),
      transformed_(transform(corners_, model)),
      mesh_(std::make_shared<GLutil::DrawableVAO>()) {
    // The four side faces as quads, each wound the same way round the y axis; top and
    // bottom are left open, so the lines read as a box without doubling every edge.
    const glm::vec3 a(maxX, minY, maxZ), b(maxX, maxY, maxZ), c(maxX, maxY, minZ),
        d(maxX, minY, minZ);
    const glm::vec3 e(minX, minY, minZ), f(minX, maxY, minZ), g(minX, maxY, maxZ),
        h(minX, minY, maxZ);
    mesh_->addBuffer(0, std::vector<glm::vec3>{a, b, c, d, d, c, f, e, e, f, g, h, h, g, b, a});
    mesh_->addBuffer(1, std::vector<glm::vec4>(16, glm::vec4(1.0f)));
    mesh_->mode = GL_QUADS;

    program_ = GLutil::ShaderStore::sharedProgram("BoundingBoxShader", [] {
        auto program = GLutil::ShaderProgram::build("BoundingBoxShader",
                                                    {"Shader/basic.vert", "Shader/basic.frag"},
                                                    {{0, "vVertex"}, {1, "vColour"}});
        program->validate();
        program->use();
        GLutil::ShaderProgram::unuse();
        return program;
    });
}

std::vector<glm::vec3> BoundingBox::transform(const std::array<glm::vec3, 8>& corners,
                                              const glm::mat4& model) {
    std::vector<glm::vec3> out;
    out.reserve(corners.size());
    for (const glm::vec3& corner : corners) {
        out.emplace_back(model * glm::vec4(corner, 1.0f));
    }
    return out;
}

const std::vector<glm::vec3>& BoundingBox::transformedCorners(const glm::mat4& model) {
    if (transformed_.empty()) {
        model_ = model;
        transformed_ = transform(corners_, model_);
    }
    return transformed_;
}

void BoundingBox::clearCorners() {
    transformed_.clear();
}

void BoundingBox::draw(const glm::mat4& viewProjection) {
    RenderState::setCullFace(false);
    glDepthMask(GL_FALSE);
    if (!RenderState::wireframe) {
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    }
    program_->use();
    const glm::mat4 mvp = viewProjection * model_;
    glUniformMatrix4fv(program_->uniformLocation("mvpMatrix"), 1, GL_FALSE, glm::value_ptr(mvp));
    mesh_->draw();
    GLutil::ShaderProgram::unuse();
    if (!RenderState::wireframe) {
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    }
    glDepthMask(GL_TRUE);
    RenderState::setCullFace(true);
}

}  // namespace VX3D
