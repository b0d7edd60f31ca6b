#include "PreviewRenderer.h"

#include "FBO/FBO.h"
#include "Shader/ShaderStore.h"
#include "Texture/PngImage.h"
#include "VAO/DrawableVAO.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace VX3DPreview {
namespace {

using GLutil::ShaderProgram;
using GLutil::drawableObjects::SceneObject;

std::shared_ptr<ShaderProgram> makeProgram(
    const std::string& name, const std::vector<std::string>& files,
    const std::vector<std::pair<GLuint, std::string>>& attributes) {
    auto program = std::make_shared<ShaderProgram>(name);
    for (const auto& f : files) program->attatch(GLutil::ShaderStore::getShader(f));
    for (const auto& [slot, attribute] : attributes)
        program->bindAttributeLocation(slot, attribute);
    program->link();
    return program;
}

// World-space extent of the model at rest: every vertex through its node's model
// matrix (the loader's own boxes ignore the node transforms).
void worldBox(const SceneObject& m, const glm::mat4& parent, glm::vec3& lo, glm::vec3& hi) {
    const glm::mat4 model = parent * m.localTransform * m.placement;
    for (const glm::vec3& p : m.positions) {
        const glm::vec3 q = glm::vec3(model * glm::vec4(p, 1.0f));
        lo = glm::min(lo, q);
        hi = glm::max(hi, q);
    }
    for (const SceneObject& c : m.children) worldBox(c, model, lo, hi);
}

struct Ground {
    GLutil::DrawableVAO mesh;
    explicit Ground(float half) {
        // Clockwise seen from above: the game's front faces are clockwise.
        mesh.mode = GL_PATCHES;
        mesh.addBuffer(0,
                       std::vector<glm::vec3>{
                           {-half, 0, -half}, {half, 0, -half}, {half, 0, half}, {-half, 0, half}});
        mesh.addBuffer(1, std::vector<glm::vec3>(4, glm::vec3(0, 1, 0)));
        mesh.addBuffer(2, std::vector<glm::vec2>{{0, 0}, {1, 0}, {1, 1}, {0, 1}});
        mesh.setIndices(std::vector<std::uint32_t>{0, 1, 2, 0, 2, 3});
    }
};

void uniform(const ShaderProgram& p, const char* name, const glm::mat4& m) {
    glUniformMatrix4fv(p.uniformLocation(name), 1, GL_FALSE, glm::value_ptr(m));
}

}  // namespace

ModelKind kindOf(const std::string& path) {
    const std::string file = path.substr(
        path.find_last_of("/\\") == std::string::npos ? 0 : path.find_last_of("/\\") + 1);
    if (file.rfind("AntAnim", 0) == 0) return ModelKind::Ant;
    if (file.rfind("Portal", 0) == 0) return ModelKind::Portal;
    return ModelKind::Plain;
}

glm::mat4 placementFor(ModelKind kind, const glm::mat4& rootLocal) {
    switch (kind) {
        case ModelKind::Ant:
            return glm::rotate(glm::mat4(1.0f), glm::radians(180.0f), glm::vec3(0, 0, 1)) *
                   glm::scale(glm::mat4(1.0f), glm::vec3(0.2f));
        case ModelKind::Portal:
            return glm::translate(glm::mat4(1.0f), glm::vec3(0.05f, 0.0f, 0.1f)) *
                   glm::scale(glm::mat4(1.0f), glm::vec3(3.9f, 1.4f, 3.5f)) * rootLocal;
        case ModelKind::Plain:
            break;
    }
    return glm::mat4(1.0f);
}

PreviewRenderer::PreviewRenderer(int width, int height) : width_(width), height_(height) {
    const std::string lit = "./Shader/testshader1";
    litProgram =
        makeProgram("PreviewModelShader",
                    {lit + ".vert", lit + ".tesC", lit + ".tesE", lit + ".geom", lit + ".frag"},
                    {{0, "vertexPosition"}, {1, "vertex_normal_in"}, {2, "uv_coordinates"}});
    litProgram->use();
    glUniform1i(litProgram->uniformLocation("shadowMap"), 4);
    glUniform1i(litProgram->uniformLocation("textureMap"), 0);
    litProgram->validate();
    ShaderProgram::unuse();
    shadowProgram = makeProgram("PreviewShadowShader",
                                {"Shader/shadow.vert", "Shader/shadow.tesC", "Shader/shadow.tesE",
                                 "Shader/shadow.geom", "Shader/shadow.frag"},
                                {{0, "vertex"}, {2, "UV"}});
    shadowProgram->validate();
    solidProgram = makeProgram("PreviewSolidShader", {"Shader/Solid.vert", "Shader/Solid.frag"},
                               {{0, "vertex"}});
    solidProgram->validate();
}

SceneObject PreviewRenderer::loadModel(const std::string& path) {
    SceneObject model(GLutil::drawableObjects::SceneObjectOpt{path, glm::mat4(1.0f)});
    const ModelKind kind = kindOf(path);
    if (kind != ModelKind::Plain) {
        // Placed as the game places it; the box follows the placement.
        model = SceneObject(GLutil::drawableObjects::SceneObjectOpt{
            path, placementFor(kind, model.localTransform)});
    }
    model.genVAO(0, 1, 2);
    return model;
}

Image PreviewRenderer::render(SceneObject& model, ModelKind kind, int clip, double clipTime,
                              const View& view, Pass pass) {
    glm::vec3 lo(std::numeric_limits<float>::max()), hi(-std::numeric_limits<float>::max());
    worldBox(model, glm::mat4(1.0f), lo, hi);
    if (!(lo.x <= hi.x)) lo = hi = glm::vec3(0.0f);
    const glm::vec3 centre = (lo + hi) * 0.5f;
    const float radius = std::max(0.05f, glm::length(hi - lo) * 0.5f);
    const float distance = view.distance > 0.0f ? view.distance : radius * 2.9f;
    const float yaw = glm::radians(view.yawDegrees), pitch = glm::radians(view.pitchDegrees);
    const glm::vec3 eye =
        centre + distance * glm::vec3(std::sin(yaw) * std::cos(pitch), std::sin(pitch),
                                      std::cos(yaw) * std::cos(pitch));
    const glm::mat4 projection =
        glm::perspective(glm::radians(40.0f), float(width_) / float(height_), 0.02f, 50.0f);
    const glm::mat4 viewProjection = projection * glm::lookAt(eye, centre, glm::vec3(0, 1, 0));

    // The sun: above and a little to the side, looking straight down as the game's does.
    GLutil::drawableObjects::SceneLight light;
    light.position = glm::vec3(centre.x - 0.35f * radius, hi.y + 4.0f * radius + 0.5f,
                               centre.z + 0.25f * radius);
    light.viewProjection = glm::perspective(glm::radians(60.0f), 1.0f, 0.1f, 20.0f) *
                           glm::rotate(glm::mat4(1.0f), glm::radians(90.0f), glm::vec3(1, 0, 0)) *
                           glm::translate(glm::mat4(1.0f), -light.position);

    // Clock: start at 0, clip started at 0 with a 2 s duration, so clipTime reads as clip units.
    VX3D::FrameClock clock(0.0);
    if (clip >= 0) model.startAnimation(clip, 2.0, clock, false);
    clock.current = std::clamp(clipTime, 0.0, 2.0);

    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glCullFace(GL_BACK);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPatchParameteri(GL_PATCH_VERTICES, 3);

    Ground ground(std::max(0.6f, radius * 2.2f));
    const glm::mat4 groundModel = glm::translate(
        glm::mat4(1.0f), glm::vec3(centre.x, std::min(lo.y, 0.0f) - 0.001f, centre.z));

    // Shadow pass.
    GLutil::FBO shadow(shadowSize, shadowSize, false);
    shadow.attatchTexture(GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, GL_DEPTH_ATTACHMENT);
    glBindFramebuffer(GL_FRAMEBUFFER, shadow.id());
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    GLutil::FBO::checkStatus();
    glViewport(0, 0, shadowSize, shadowSize);
    glClear(GL_DEPTH_BUFFER_BIT);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.1f, 4.0f);
    shadowProgram->use();
    model.drawShadow(light.viewProjection, glm::mat4(1.0f), eye, clock, *shadowProgram);
    GLutil::ShaderProgram::unuse();
    glDisable(GL_POLYGON_OFFSET_FILL);
    shadowDepth_.assign(static_cast<std::size_t>(shadowSize * shadowSize), 1.0f);
    glReadPixels(0, 0, shadowSize, shadowSize, GL_DEPTH_COMPONENT, GL_FLOAT, shadowDepth_.data());
    shadow.finish(true);

    // Scene pass into three colour targets.
    GLutil::FBO scene(width_, height_, false);
    scene.attatchDepthBuffer();
    for (GLenum a : {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2})
        scene.attatchTexture(GL_RGBA8, GL_RGBA, a);
    glBindFramebuffer(GL_FRAMEBUFFER, scene.id());
    const GLenum buffers[] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2};
    glDrawBuffers(3, buffers);
    GLutil::FBO::checkStatus();
    glViewport(0, 0, width_, height_);
    const float background[] = {0.62f, 0.74f, 0.86f, 1.0f}, lit[] = {1.0f, 1.0f, 1.0f, 1.0f},
                normal[] = {0.5f, 0.5f, 1.0f, 1.0f};
    glClearBufferfv(GL_COLOR, 0, background);
    glClearBufferfv(GL_COLOR, 1, lit);
    glClearBufferfv(GL_COLOR, 2, normal);
    glClear(GL_DEPTH_BUFFER_BIT);

    if (pass == Pass::Solid) {
        solidProgram->use();
        model.drawColored(viewProjection, glm::mat4(1.0f), clock,
                          glm::vec4(1.0f, 0.85f, 0.2f, 1.0f), *solidProgram);
        GLutil::ShaderProgram::unuse();
    } else if (pass == Pass::Lit) {
        const auto shadowMap = shadow.getTexture(0);
        litProgram->use();
        if (view.ground) {
            // The ground square, lit like a model node (sand, no texture).
            uniform(*litProgram, "modelMatrix", groundModel);
            uniform(*litProgram, "vpMatrix", viewProjection);
            const glm::mat3 nm(groundModel);
            glUniformMatrix3fv(litProgram->uniformLocation("normalMatrix"), 1, GL_FALSE,
                               glm::value_ptr(nm));
            glUniform4f(litProgram->uniformLocation("ambient"), 0.3f, 0.28f, 0.2f, 1.0f);
            glUniform4f(litProgram->uniformLocation("diffuse"), 0.62f, 0.58f, 0.45f, 1.0f);
            glUniform4f(litProgram->uniformLocation("specular"), 0.05f, 0.05f, 0.05f, 1.0f);
            glUniform1f(litProgram->uniformLocation("shininess"), 8.0f);
            glUniform3fv(litProgram->uniformLocation("lightPos"), 1,
                         glm::value_ptr(light.position));
            glUniform3fv(litProgram->uniformLocation("viewPoint"), 1, glm::value_ptr(eye));
            glUniform1i(litProgram->uniformLocation("transparent"), 0);
            glUniform1i(litProgram->uniformLocation("doTesselation"), 0);
            glUniform1i(litProgram->uniformLocation("hasTexture"), 0);
            const glm::mat4 bias = glm::translate(glm::mat4(1.0f), glm::vec3(0.5f)) *
                                   glm::scale(glm::mat4(1.0f), glm::vec3(0.5f));
            uniform(*litProgram, "SMMatrix", bias * light.viewProjection);
            glActiveTexture(GL_TEXTURE4);
            glBindTexture(GL_TEXTURE_2D, shadowMap->id());
            glUniform1i(litProgram->uniformLocation("shadowMap"), 4);
            ground.mesh.draw();
            glBindTexture(GL_TEXTURE_2D, 0);
            glActiveTexture(GL_TEXTURE0);
        }
        if (kind == ModelKind::Portal) {
            // As the game draws portals: inside first, then outside, see-through.
            glCullFace(GL_FRONT);
            model.draw(viewProjection, glm::mat4(1.0f), eye, true, light, clock, *litProgram,
                       shadowMap);
            glCullFace(GL_BACK);
            model.draw(viewProjection, glm::mat4(1.0f), eye, true, light, clock, *litProgram,
                       shadowMap);
        } else {
            model.draw(viewProjection, glm::mat4(1.0f), eye, false, light, clock, *litProgram,
                       shadowMap);
        }
        GLutil::ShaderProgram::unuse();
    }

    const std::size_t n = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    colour_.assign(n * 4, 0);
    mask_.assign(n * 4, 0);
    depth_.assign(n, 1.0f);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, colour_.data());
    glReadBuffer(GL_COLOR_ATTACHMENT1);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, mask_.data());
    glReadPixels(0, 0, width_, height_, GL_DEPTH_COMPONENT, GL_FLOAT, depth_.data());
    scene.finish(true);

    Image out;
    out.width = width_;
    out.height = height_;
    out.rgba.resize(n * 4);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            const std::size_t src = (static_cast<std::size_t>(height_ - 1 - y) * width_ + x) * 4;
            const std::size_t dst = (static_cast<std::size_t>(y) * width_ + x) * 4;
            if (pass == Pass::ShadowDepth) {
                // The light's depth map, scaled to the window.
                const int sx = x * shadowSize / width_,
                          sy = (height_ - 1 - y) * shadowSize / height_;
                const float d = shadowDepth_[static_cast<std::size_t>(sy) * shadowSize + sx];
                const auto g =
                    static_cast<std::uint8_t>(std::lround(std::clamp(d, 0.0f, 1.0f) * 255.0f));
                out.rgba[dst] = out.rgba[dst + 1] = out.rgba[dst + 2] = g;
                out.rgba[dst + 3] = 255;
                continue;
            }
            // The frame's blend: shadowed parts keep 55 % of their light.
            const float shade = 0.55f + 0.45f * static_cast<float>(mask_[src]) / 255.0f;
            for (int c = 0; c < 3; ++c)
                out.rgba[dst + c] =
                    static_cast<std::uint8_t>(std::lround(colour_[src + c] * shade));
            out.rgba[dst + 3] = 255;
        }
    return out;
}

void writePng(const Image& image, const std::string& path) {
    GLutil::writePng(path, {static_cast<std::uint32_t>(image.width),
                            static_cast<std::uint32_t>(image.height), image.rgba});
}

}  // namespace VX3DPreview
