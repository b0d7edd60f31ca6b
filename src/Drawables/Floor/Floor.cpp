#include "Drawables/Floor/Floor.h"

#include "Drawables/Floor/SlopeMap.h"
#include "Shader/CheckPoint.h"
#include "Shader/ShaderStore.h"
#include "Veltrix3D/RenderState.h"

#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace VX3D {
namespace {

using GLutil::ShaderProgram;
namespace ShaderStore = GLutil::ShaderStore;

void setMat4(const ShaderProgram& p, const char* name, const glm::mat4& m) {
    glUniformMatrix4fv(p.uniformLocation(name), 1, GL_FALSE, glm::value_ptr(m));
}
void setVec3(const ShaderProgram& p, const char* name, const glm::vec3& v) {
    glUniform3fv(p.uniformLocation(name), 1, glm::value_ptr(v));
}
void setInt(const ShaderProgram& p, const char* name, GLint v) {
    glUniform1i(p.uniformLocation(name), v);
}
void setFloat(const ShaderProgram& p, const char* name, float v) {
    glUniform1f(p.uniformLocation(name), v);
}

void unbindUnit(GLint unit) {
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    glBindTexture(GL_TEXTURE_2D, 0);
}

float frac(float x) {
    return x - std::floor(x);
}

std::shared_ptr<ShaderProgram> makeFloorProgram() {
    auto program =
        ShaderProgram::build("FloorShader",
                             {"Shader/floor.vert", "Shader/floor.tesC", "Shader/floor.tesE",
                              "Shader/floor.geom", "Shader/floor.frag"},
                             {{0, "vertex"}, {1, "color"}, {2, "UV"}});
    program->use();
    program->setConstant("shadowMap", 4);
    program->setConstant("textureMap", 1);
    program->setConstant("specularMap", 2);
    program->setConstant("slopeMap", 3);
    ShaderProgram::unuse();
    // Validation checks the sampler units against each other, so only now that they differ.
    program->validate();
    program->use();
    ShaderProgram::unuse();
    return program;
}

std::shared_ptr<ShaderProgram> makeBorderProgram() {
    auto program =
        ShaderProgram::build("FloorBorderShader", {"Shader/basic.vert", "Shader/basic.frag"},
                             {{0, "vertex"}, {1, "color"}});
    program->validate();
    program->use();
    ShaderProgram::unuse();
    return program;
}

std::shared_ptr<ShaderProgram> makeFloorShadowProgram() {
    auto program =
        ShaderProgram::build("FloorShadowShader",
                             {"Shader/shadow.vert", "Shader/shadow.tesC", "Shader/shadow.tesE",
                              "Shader/shadow.geom", "Shader/shadow.frag"},
                             {{0, "vertex"}, {2, "UV"}});
    program->validate();
    program->use();
    ShaderProgram::unuse();
    return program;
}

}  // namespace

FloorMesh makeFloorMesh(int width, int height) {
    if (width < 1 || height < 1 || static_cast<long>(width) * height > 16384)
        throw std::invalid_argument("Floor: a field of " + std::to_string(width) + " x " +
                                    std::to_string(height) +
                                    " cells cannot be drawn (1 to 16384 cells, 16-bit indices)");
    FloorMesh mesh;
    const auto cells = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    mesh.positions.reserve(cells * 4);
    mesh.indices.reserve(cells * 6);
    for (int i = 0; i < width; ++i)
        for (int j = 0; j < height; ++j) {
            const auto x = static_cast<float>(i), z = -static_cast<float>(j);
            mesh.positions.insert(
                mesh.positions.end(),
                {{x, 0, z, 1}, {x + 1, 0, z, 1}, {x + 1, 0, z - 1, 1}, {x, 0, z - 1, 1}});
            mesh.uvs.insert(mesh.uvs.end(), {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
            const auto b = static_cast<std::uint16_t>((j + height * i) * 4);
            mesh.indices.insert(
                mesh.indices.end(),
                {b, static_cast<std::uint16_t>(b + 1), static_cast<std::uint16_t>(b + 2), b,
                 static_cast<std::uint16_t>(b + 2), static_cast<std::uint16_t>(b + 3)});
        }
    mesh.colours.assign(mesh.positions.size(), glm::vec4(0.1f, 1.0f, 0.1f, 1.0f));
    const auto w = static_cast<float>(width), h = static_cast<float>(height);
    mesh.outline = {{0, 0, 0, 1}, {w, 0, 0, 1}, {w, 0, -h, 1}, {0, 0, -h, 1}};
    mesh.outlineColours.assign(4, glm::vec4(1.0f, 0.0f, 0.0f, 1.0f));
    return mesh;
}

float displacementHeight(const std::vector<unsigned char>& rgba, int width, int height,
                         const glm::vec3& p) {
    if (width < 1 || height < 1 ||
        rgba.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4)
        return 0.0f;
    // frac is below 1, but a float just under 1 times the size can round up to it.
    const int column = std::min(static_cast<int>(frac(p.x) * static_cast<float>(width)), width - 1);
    const int row = std::min(static_cast<int>(frac(-p.z) * static_cast<float>(height)), height - 1);
    const std::size_t at = (static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
                            static_cast<std::size_t>(column)) *
                           4;
    const float r = rgba[at] / 255.0f, g = rgba[at + 1] / 255.0f, b = rgba[at + 2] / 255.0f;
    return std::sqrt(r * r + g * g + b * b) / 6.0f;
}

Floor::Floor(int width, int height)
    : width_(width),
      height_(height),
      displacement_("res/Textures/displacement_map3.png", 0, GLutil::Texture::Pixels::kept),
      grass_("res/Textures/grass.png", 1),
      specular_("res/Textures/grass_spec.png", 2) {
    const FloorMesh mesh = makeFloorMesh(width, height);
    {
        const auto& px = displacement_.pixels();
        const int w = static_cast<int>(displacement_.width()),
                  h = static_cast<int>(displacement_.height());
        std::vector<float> heights(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
        for (std::size_t i = 0; i < heights.size(); ++i) {
            const float r = px[i * 4] / 255.0f, g = px[i * 4 + 1] / 255.0f,
                        b = px[i * 4 + 2] / 255.0f;
            heights[i] = std::sqrt(r * r + g * g + b * b) / 6.0f;
        }
        // Every cell shows the whole image, so it repeats both ways.
        slopeMap_ = uploadSlopeMap(slopeTexels(heights, w, h, 2, true), true);
    }
    cells_.mode = GL_PATCHES;
    cells_.addBuffer(0, mesh.positions);
    cells_.addBuffer(1, mesh.colours);
    cells_.addBuffer(2, mesh.uvs);
    cells_.setIndices(mesh.indices);
    outline_.mode = GL_LINE_LOOP;
    outline_.addBuffer(0, mesh.outline);
    outline_.addBuffer(1, mesh.outlineColours);

    // Every player view has a floor; all of them draw with the same three programs.
    program_ = ShaderStore::sharedProgram("FloorShader", makeFloorProgram);
    borderProgram_ = ShaderStore::sharedProgram("FloorBorderShader", makeBorderProgram);
    shadowProgram_ = ShaderStore::sharedProgram("FloorShadowShader", makeFloorShadowProgram);
    GLUTIL_CHECKPOINT("VX3D::Floor::Floor");
}

void Floor::draw(const glm::mat4& mvp, const glm::vec3& eye, const Sun& sun,
                 const ShadowMap& shadowMap) {
    const ShaderProgram& p = *program_;
    // The grass is opaque: blending its three outputs would only cost time.
    const bool blending = RenderState::blendEnabled;
    RenderState::setBlend(false);
    program_->use();
    setMat4(p, "mvpMatrix", mvp);
    setVec3(p, "viewPoint", eye);
    setInt(p, "doTesselation", RenderState::tessellation ? 1 : 0);
    setFloat(p, "maxtessLevel", RenderState::tessLevel);
    setFloat(p, "tessAttenuation", RenderState::tessAttenuation + 0.3f);
    setVec3(p, "lightPos", sun.position);
    glUniform2f(p.uniformLocation("fieldSize"), static_cast<float>(width_),
                static_cast<float>(height_));
    displacement_.bind();
    setInt(p, "displacementMap", 0);
    grass_.bind();
    if (shadowMap) {
        setMat4(p, "SMMatrix", shadowMapMatrix(sun.lightMatrix()));
        glActiveTexture(GL_TEXTURE4);
        glBindTexture(GL_TEXTURE_2D, shadowMap->id());
    } else {
        // A zero matrix reads as lit everywhere (no map bound on unit 4 would read as shadow).
        setMat4(p, "SMMatrix", glm::mat4(0.0f));
    }
    setInt(p, "textureMap", 1);
    specular_.bind();
    setInt(p, "specularMap", 2);
    bindSlopeMap(*slopeMap_, 3);
    cells_.draw();
    if (shadowMap) unbindUnit(4);
    unbindUnit(3);
    unbindUnit(specular_.unit());
    unbindUnit(grass_.unit());
    unbindUnit(displacement_.unit());
    glActiveTexture(GL_TEXTURE0);
    ShaderProgram::unuse();
    RenderState::setBlend(blending);

    borderProgram_->use();
    setMat4(*borderProgram_, "mvpMatrix", mvp);
    outline_.draw();
    ShaderProgram::unuse();
    GLUTIL_CHECKPOINT("VX3D::Floor::draw");
}

void Floor::drawShadow(const glm::mat4& lightMvp, const glm::vec3& eye) {
    const ShaderProgram& p = *shadowProgram_;
    // The sun sees the floor's back, and nothing lies below the floor to be shadowed: with
    // culling on it fills none of the large map, which would otherwise cost more than the
    // rest of the shadow pass together.
    const bool culling = RenderState::cullFaceEnabled;
    RenderState::setCullFace(true);
    shadowProgram_->use();
    setMat4(p, "mvpMatrix", lightMvp);
    setVec3(p, "viewPoint", eye);
    setInt(p, "doTesselation", RenderState::tessellation ? 1 : 0);
    setFloat(p, "maxtessLevel", RenderState::tessLevel - 10.0f);
    setFloat(p, "tessAttenuation", RenderState::tessAttenuation + 0.3f);
    setInt(p, "hasDisplacement", 1);
    displacement_.bind();
    setInt(p, "displacementMap", 0);
    setInt(p, "hasTexture", 0);
    cells_.draw();
    unbindUnit(displacement_.unit());
    glActiveTexture(GL_TEXTURE0);
    ShaderProgram::unuse();
    RenderState::setCullFace(culling);
    GLUTIL_CHECKPOINT("VX3D::Floor::drawShadow");
}

float Floor::groundHeight(const glm::vec3& p) const {
    return displacementHeight(displacement_.pixels(), static_cast<int>(displacement_.width()),
                              static_cast<int>(displacement_.height()), p);
}

}  // namespace VX3D
