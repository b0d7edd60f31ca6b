#include "Drawables/Fog/Fog.h"

#include "Shader/CheckPoint.h"
#include "Shader/ShaderStore.h"
#include "Veltrix3D/RenderState.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>

namespace VX3D {

namespace {

// One number in [0, 1] from the C runtime's source. The game never seeds it, so the cloud
// is the same on every run. Dividing by the runtime's own maximum keeps the range whatever
// the runtime (32767 on some, 2^31 - 1 with glibc).
float unitRandom() {
    return static_cast<float>(std::rand()) / static_cast<float>(RAND_MAX);
}

std::shared_ptr<GLutil::ShaderProgram> buildProgram(
    const std::string& name, const std::vector<std::string>& sources,
    const std::vector<std::pair<GLuint, std::string>>& attributes, const std::string& captured) {
    auto program = std::make_shared<GLutil::ShaderProgram>(name);
    for (const auto& source : sources) program->attatch(GLutil::ShaderStore::getShader(source));
    for (const auto& [slot, attribute] : attributes)
        program->bindAttributeLocation(slot, attribute);
    if (!captured.empty()) GLutil::TransformFeedback::transformFeedbackVaryings(*program, captured);
    program->link();
    program->validate();
    program->use();
    GLutil::ShaderProgram::unuse();
    return program;
}

std::shared_ptr<GLutil::VBO> buffer(GLsizeiptr size, const void* data, GLenum usage) {
    auto vbo = std::make_shared<GLutil::VBO>(GL_ARRAY_BUFFER);
    vbo->initBuffer(size, data, usage);
    vbo->unbind();
    return vbo;
}

// What the sprites need of the view once per frame: the eye, where clip x, y and w all
// vanish, and the projection's x and y scales, the lengths of the matrix's first two rows
// (the view part has unit rows).
struct Projected {
    glm::vec3 eye;
    glm::vec2 scale;
};

Projected projectedBy(const glm::mat4& mvp) {
    const glm::mat3 rows = glm::transpose(glm::mat3(glm::vec3(mvp[0][0], mvp[1][0], mvp[2][0]),
                                                    glm::vec3(mvp[0][1], mvp[1][1], mvp[2][1]),
                                                    glm::vec3(mvp[0][3], mvp[1][3], mvp[2][3])));
    const glm::vec3 eye = glm::inverse(rows) * -glm::vec3(mvp[3][0], mvp[3][1], mvp[3][3]);
    const glm::vec2 scale(glm::length(glm::vec3(mvp[0][0], mvp[1][0], mvp[2][0])),
                          glm::length(glm::vec3(mvp[0][1], mvp[1][1], mvp[2][1])));
    return {eye, scale};
}

}  // namespace

Fog::Particles Fog::initialParticles(float maxHeight) {
    std::cout << "Init particles begin\n";
    Particles cloud;
    cloud.positions.reserve(particleCount);
    cloud.colours.reserve(particleCount);
    float level = 0.0f;
    const float step = maxHeight / 200.0f;
    while (static_cast<int>(cloud.positions.size()) < particleCount) {
        for (int i = 0; i < columns && static_cast<int>(cloud.positions.size()) < particleCount;
             ++i) {
            for (int j = 0; j < rows && static_cast<int>(cloud.positions.size()) < particleCount;
                 ++j) {
                const float r1 = unitRandom();
                const float r2 = unitRandom();
                const float r3 = unitRandom();
                const float r4 = unitRandom();
                const float z = static_cast<float>(-j) - std::min(r1, 1.0f);
                const float y = std::min((r2 - 0.5f) * 0.5f, 0.2f) + level;
                const float x = static_cast<float>(i) + std::min(r3, 1.0f);
                const float t = r4 * 0.1f;
                cloud.positions.emplace_back(x, y, z, 1.0f);
                cloud.colours.emplace_back(0.7f + t, 0.7f + t, 0.7f + t, 0.85f + t);
            }
            level += step;
            if (level > maxHeight) level = 0.0f;
        }
    }
    std::cout << "Init particles end\n";
    return cloud;
}

float Fog::stepFor(const FrameClock& clock) {
    const float elapsed = static_cast<float>(clock.current - clock.previous);
    return elapsed > longestStep ? 0.0f : elapsed;
}

Fog::Fog(float maxHeight) : maxHeight_(maxHeight) {
    const Particles cloud = initialParticles(maxHeight);
    const auto positionBytes = static_cast<GLsizeiptr>(particleCount * sizeof(glm::vec4));
    positions_[0] = buffer(positionBytes, cloud.positions.data(), GL_DYNAMIC_COPY);
    positions_[1] = buffer(positionBytes, cloud.positions.data(), GL_DYNAMIC_COPY);
    colours_ = buffer(positionBytes, cloud.colours.data(), GL_STATIC_DRAW);
    const std::vector<std::uint32_t> uncovered(particleCount, 1u);
    visibility_ = buffer(static_cast<GLsizeiptr>(particleCount * sizeof(std::uint32_t)),
                         uncovered.data(), GL_DYNAMIC_COPY);

    texture_ = GLutil::Texture("res/Textures/Fog.png", 0);

    updateProgram_ =
        buildProgram("FogUpdateShader", {"Shader/fogUpdate.vert", "Shader/fogUpdate.geom"},
                     {{0, "position"}}, "gPosition");
    // Missing uniforms are refused here, at start-up, rather than at the first frame.
    updateProgram_->uniformLocation("elapsedTime");
    updateProgram_->uniformLocation("maxHeight");

    visibleProgram_ = buildProgram("FogUpdateVisibleShader",
                                   {"Shader/fogVisibleUpdate.vert", "Shader/fogVisibleUpdate.geom"},
                                   {{0, "position"}}, "gVisible");
    visibleProgram_->uniformLocation("antPos1");
    visibleProgram_->uniformLocation("antPos2");
    visibleProgram_->uniformLocation("sichtweite");

    drawProgram_ = buildProgram(
        "FogDrawShader", {"Shader/fogDraw.vert", "Shader/fogDraw.geom", "Shader/fogDraw.frag"},
        {{0, "position"}, {1, "color"}}, "");
    drawProgram_->uniformLocation("mvpMatrix");
    drawProgram_->uniformLocation("viewportHeight");
    drawProgram_->uniformLocation("eye");
    drawProgram_->uniformLocation("projectionScale");
    drawProgram_->uniformLocation("antPos1");
    drawProgram_->uniformLocation("antPos2");
    drawProgram_->uniformLocation("sichtweite");
    // Kept across the reload key's relink.
    drawProgram_->setConstant("textureMap", 0);

    // The sheet spans the field and the layer's spill past it (see fogSheet.frag).
    const float spill = 0.3f;
    const glm::vec4 corners[4] = {
        {-spill, sheetHeight, spill, 1.0f},
        {static_cast<float>(columns) + spill, sheetHeight, spill, 1.0f},
        {static_cast<float>(columns) + spill, sheetHeight, -static_cast<float>(rows) - spill, 1.0f},
        {-spill, sheetHeight, -static_cast<float>(rows) - spill, 1.0f}};
    sheet_ = buffer(sizeof corners, corners, GL_STATIC_DRAW);
    sheetProgram_ = buildProgram("FogSheetShader", {"Shader/fogSheet.vert", "Shader/fogSheet.frag"},
                                 {{0, "position"}}, "");
    for (const char* uniform : {"mvpMatrix", "eye", "antPos1", "antPos2", "sichtweite"})
        sheetProgram_->uniformLocation(uniform);
    GLutil::ShaderProgram::unuse();
    GLUTIL_CHECKPOINT("VX3D::Fog::Fog");
}

void Fog::update(const FrameClock& clock) {
    const int next = 1 - current;
    glEnable(GL_RASTERIZER_DISCARD);
    updateProgram_->use();
    glUniform1f(updateProgram_->uniformLocation("elapsedTime"), stepFor(clock));
    glUniform1f(updateProgram_->uniformLocation("maxHeight"), maxHeight_);
    GLUTIL_CHECKPOINT("VX3D::Fog::update");
    vao_.bind();
    moveFeedback_.bind();
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0,
                     positions_[static_cast<std::size_t>(next)]->id());
    moveFeedback_.begin();
    positions_[static_cast<std::size_t>(current)]->bind();
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(0);
    glDrawArrays(GL_POINTS, 0, particleCount);
    GLUTIL_CHECKPOINT("VX3D::Fog::update");
    glDisableVertexAttribArray(0);
    positions_[static_cast<std::size_t>(current)]->unbind();
    moveFeedback_.end();
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, 0);
    moveFeedback_.unbind();
    GLutil::VAO::unbind();
    GLutil::ShaderProgram::unuse();
    glDisable(GL_RASTERIZER_DISCARD);
    GLUTIL_CHECKPOINT("VX3D::Fog::update");
}

void Fog::updateVisible(const glm::vec3& antPos1, const glm::vec3& antPos2, float range) {
    seenFrom_[0] = antPos1;
    seenFrom_[1] = antPos2;
    seenRange_ = range;
    const int shown = 1 - current;
    glEnable(GL_RASTERIZER_DISCARD);
    visibleProgram_->use();
    glUniform3f(visibleProgram_->uniformLocation("antPos1"), antPos1.x, antPos1.y, antPos1.z);
    glUniform3f(visibleProgram_->uniformLocation("antPos2"), antPos2.x, antPos2.y, antPos2.z);
    glUniform1f(visibleProgram_->uniformLocation("sichtweite"), range);
    GLUTIL_CHECKPOINT("VX3D::Fog::updateVisible");
    vao_.bind();
    visibleFeedback_.bind();
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, visibility_->id());
    visibleFeedback_.begin();
    positions_[static_cast<std::size_t>(shown)]->bind();
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(0);
    glDrawArrays(GL_POINTS, 0, particleCount);
    GLUTIL_CHECKPOINT("VX3D::Fog::updateVisible");
    glDisableVertexAttribArray(0);
    positions_[static_cast<std::size_t>(shown)]->unbind();
    visibleFeedback_.end();
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, 0);
    visibleFeedback_.unbind();
    GLutil::VAO::unbind();
    GLutil::ShaderProgram::unuse();
    glDisable(GL_RASTERIZER_DISCARD);
    GLUTIL_CHECKPOINT("VX3D::Fog::updateVisible");
}

void Fog::draw(const glm::mat4& mvp) {
    if (!RenderState::fog) return;
    const auto shown = static_cast<std::size_t>(1 - current);
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);

    // The particles are translucent and unsorted: they must not hide one another. They add
    // up as premultiplied colour and coverage, so the layer can be laid over the scene later
    // and filtered on the way without dark fringes.
    glDepthMask(GL_FALSE);
    RenderState::setCullFace(false);
    const GLenum source = RenderState::blendSource, destination = RenderState::blendDestination;
    RenderState::setBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    // Sprite sizes come from the geometry stage; the point-sprite switch gives them their
    // texture coordinates on compatibility contexts that still honour it.
    glEnable(GL_PROGRAM_POINT_SIZE);
    glEnable(GL_POINT_SPRITE);
    vao_.bind();
    texture_.bind();
    drawProgram_->use();
    glUniformMatrix4fv(drawProgram_->uniformLocation("mvpMatrix"), 1, GL_FALSE, &mvp[0][0]);
    glUniform1f(drawProgram_->uniformLocation("viewportHeight"), static_cast<float>(viewport[3]));
    const Projected projected = projectedBy(mvp);
    glUniform3fv(drawProgram_->uniformLocation("eye"), 1, &projected.eye[0]);
    glUniform2fv(drawProgram_->uniformLocation("projectionScale"), 1, &projected.scale[0]);
    glUniform3fv(drawProgram_->uniformLocation("antPos1"), 1, &seenFrom_[0][0]);
    glUniform3fv(drawProgram_->uniformLocation("antPos2"), 1, &seenFrom_[1][0]);
    glUniform1f(drawProgram_->uniformLocation("sichtweite"), seenRange_);
    GLUTIL_CHECKPOINT("VX3D::Fog::draw");
    positions_[shown]->bind();
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(0);
    colours_->bind();
    glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(1);
    glDrawArrays(GL_POINTS, 0, particleCount);
    GLUTIL_CHECKPOINT("VX3D::Fog::draw");

    glDisableVertexAttribArray(1);
    colours_->unbind();
    glDisableVertexAttribArray(0);
    positions_[shown]->unbind();
    GLutil::VAO::unbind();
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(texture_.unit()));
    glBindTexture(GL_TEXTURE_2D, 0);
    GLutil::ShaderProgram::unuse();
    glDisable(GL_POINT_SPRITE);
    glDisable(GL_PROGRAM_POINT_SIZE);
    RenderState::setBlendFunc(source, destination);
    RenderState::setCullFace(true);
    glDepthMask(GL_TRUE);
    GLUTIL_CHECKPOINT("VX3D::Fog::draw");
    current = 1 - current;
}

void Fog::drawCover(const glm::mat4& mvp) {
    if (!RenderState::fog) return;
    // Seen from above or, from an eye inside the layer, from below.
    const bool culling = RenderState::cullFaceEnabled;
    RenderState::setCullFace(false);
    sheetProgram_->use();
    glUniformMatrix4fv(sheetProgram_->uniformLocation("mvpMatrix"), 1, GL_FALSE, &mvp[0][0]);
    glUniform3fv(sheetProgram_->uniformLocation("eye"), 1, &projectedBy(mvp).eye[0]);
    glUniform3fv(sheetProgram_->uniformLocation("antPos1"), 1, &seenFrom_[0][0]);
    glUniform3fv(sheetProgram_->uniformLocation("antPos2"), 1, &seenFrom_[1][0]);
    glUniform1f(sheetProgram_->uniformLocation("sichtweite"), seenRange_);
    vao_.bind();
    sheet_->bind();
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(0);
    glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
    glDisableVertexAttribArray(0);
    sheet_->unbind();
    GLutil::VAO::unbind();
    GLutil::ShaderProgram::unuse();
    RenderState::setCullFace(culling);
    GLUTIL_CHECKPOINT("VX3D::Fog::drawCover");
}

FogCover Fog::cover(const glm::mat4& mvp) const {
    return {RenderState::fog, glm::inverse(mvp), {seenFrom_[0], seenFrom_[1]}, seenRange_};
}

}  // namespace VX3D
