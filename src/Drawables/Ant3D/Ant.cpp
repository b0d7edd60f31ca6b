#include "Drawables/Ant3D/Ant.h"

#include "Drawables/ViewVolume/ViewVolume.h"
#include "Game/GameFlags.h"
#include "Shader/CheckPoint.h"
#include "Veltrix3D/RenderState.h"

#include <glm/gtc/matrix_transform.hpp>

#include <iostream>
#include <stdexcept>

namespace VX3D {
namespace {

using GLutil::ShaderProgram;

std::shared_ptr<ShaderProgram> makeLitProgram() {
    const std::string base = "./Shader/testshader1";
    auto program = ShaderProgram::build(
        "AntShader",
        {base + ".vert", base + ".tesC", base + ".tesE", base + ".geom", base + ".frag"},
        {{0, "vertexPosition"}, {1, "vertex_normal_in"}, {2, "uv_coordinates"}});
    program->setConstant("shadowMap", 4);
    program->setConstant("textureMap", 0);
    ShaderProgram::unuse();
    // Validation checks the two samplers against each other, so only now that they differ.
    program->validate();
    return program;
}

std::shared_ptr<ShaderProgram> makeShadowProgram() {
    auto program =
        ShaderProgram::build("AntShadowShader",
                             {"Shader/shadow.vert", "Shader/shadow.tesC", "Shader/shadow.tesE",
                              "Shader/shadow.geom", "Shader/shadow.frag"},
                             {{0, "vertex"}, {2, "UV"}});
    program->validate();
    return program;
}

std::shared_ptr<ShaderProgram> makeSolidProgram() {
    auto program = ShaderProgram::build(
        "AntSolidShader", {"Shader/Solid.vert", "Shader/Solid.frag"}, {{0, "vertex"}});
    program->validate();
    return program;
}

// All ants draw with the same three programs; they live while any ant does, so a new
// context (a test suite's) never sees programs of an old one.
std::shared_ptr<ShaderProgram> shared(std::weak_ptr<ShaderProgram>& slot,
                                      std::shared_ptr<ShaderProgram> (*make)()) {
    auto program = slot.lock();
    if (!program) {
        program = make();
        slot = program;
    }
    return program;
}

}  // namespace

glm::mat4 Ant::baseTransform() {
    return glm::rotate(glm::mat4(1.0f), glm::radians(180.0f), glm::vec3(0.0f, 0.0f, 1.0f)) *
           glm::scale(glm::mat4(1.0f), glm::vec3(0.2f));
}

std::string Ant::modelPath(const glm::vec4& colour) {
    return colour.r >= colour.b ? "res/AntAnim1.DAE" : "res/AntAnim1B.DAE";
}

Ant::Ant(Veltrix::Position cell, int facingSign, const glm::vec4& colour_,
         std::shared_ptr<Floor> floor, int movesPerAnt, int player_)
    : AntMotion(cell, facingSign, movesPerAnt, player_), colour(colour_), floor_(std::move(floor)) {
    energyBar_ = std::make_shared<Statusbar>(movesPerAnt);

    const std::string path = modelPath(colour);
    model_ = std::make_shared<GLutil::drawableObjects::SceneObject>(
        GLutil::drawableObjects::SceneObjectOpt{path, baseTransform()});
    if (!model_->valid())
        throw std::runtime_error("VX3D::Ant::Ant: the ant model " + path + " cannot be read");
    model_->genVAO(0, 1, 2);
    GLUTIL_CHECKPOINT("VX3D::Ant::Ant");

    static std::weak_ptr<ShaderProgram> lit, shadow, solid;
    program_ = shared(lit, makeLitProgram);
    shadowProgram_ = shared(shadow, makeShadowProgram);
    solidProgram_ = shared(solid, makeSolidProgram);
    ShaderProgram::unuse();
    GLUTIL_CHECKPOINT("VX3D::Ant::Ant");

    // The hooks hold the shared model and floor, not the ant, so a moved ant keeps working.
    hooks.groundHeight = [floor = floor_](const glm::vec3& p) {
        return floor ? floor->groundHeight(p) : 0.0f;
    };
    hooks.startClip = [model = model_](AntClip clip, const FrameClock& clock) {
        model->startAnimation(static_cast<std::int32_t>(clip), clipDuration(clip), clock, true);
    };
    hooks.stopClip = [model = model_] { model->stopLooping(); };
    hooks.clipPlaying = [model = model_] { return model->isAnimating(); };
    hooks.updateFog = [](Fog& fog, const glm::vec3& position, const glm::vec3& otherAntPos,
                         float radius) { fog.updateVisible(position, otherAntPos, radius); };
    rebuildModelMatrix();

    const glm::vec3 &hi = model_->bbMax, &lo = model_->bbMin;
    box_ = std::make_shared<BoundingBox>(hi.x, lo.x, hi.y, lo.y, hi.z, lo.z, boxMatrix());
}

glm::mat4 Ant::boxMatrix() const {
    // The loader keeps the box in the space of the base transform already (it widens it
    // by the placed vertices), so only the root node's own transform lies between.
    return modelMatrix * model_->localTransform;
}

std::pair<glm::vec3, glm::vec3> Ant::pickBox() const {
    const glm::mat4 m = boxMatrix();
    return {glm::vec3(m * glm::vec4(model_->bbMin, 1.0f)),
            glm::vec3(m * glm::vec4(model_->bbMax, 1.0f))};
}

void Ant::startMove(Veltrix::Position target, const FrameClock& clock, bool fightAtEnd,
                    bool dieAtEnd, Fog* fog, const glm::vec3& otherAntPos, float radius) {
    AntMotion::startMove(target, clock, fightAtEnd, dieAtEnd, fog, otherAntPos, radius);
    clearPickMarkers();
}

void Ant::startPortalMove(Veltrix::Position entry, Veltrix::Position exit, const FrameClock& clock,
                          bool fightAtEnd, bool dieAtEnd, Fog* fog, const glm::vec3& otherAntPos,
                          float radius) {
    AntMotion::startPortalMove(entry, exit, clock, fightAtEnd, dieAtEnd, fog, otherAntPos, radius);
    clearPickMarkers();
}

void Ant::draw(const glm::mat4& viewProjection, const glm::vec3& eye, const Sun& sun,
               const FrameClock& clock, const ShadowMap& shadowMap, const glm::mat4& projection,
               const glm::mat4& view) {
    // The ant moves, so its box is placed anew for every test.
    box_->clearCorners();
    drawnLastFrame_ = isVisible(box_->transformedCorners(boxMatrix()));
    if (!drawnLastFrame_) return;
    if (RenderState::boundingBoxes) box_->draw(viewProjection);

    program_->use();
    model_->draw(viewProjection, modelMatrix, eye, false, sun.light(), clock, *program_, shadowMap);
    ShaderProgram::unuse();

    for (const Marker& marker : markers_) marker.cube->draw(viewProjection * marker.model);

    if (player == GameFlags::viewedPlayer || RenderState::cheatView || GameFlags::enemyUncovered) {
        energyBar_->current = energy;
        energyBar_->draw(view, projection, energyBarPosition());
    }
}

void Ant::drawShadow(const glm::mat4& lightViewProjection, const glm::vec3& eye,
                     const FrameClock& clock) {
    shadowProgram_->use();
    model_->drawShadow(lightViewProjection, modelMatrix, eye, clock, *shadowProgram_);
    ShaderProgram::unuse();
}

void Ant::drawSolid(const glm::mat4& viewProjection, const FrameClock& clock) {
    solidProgram_->use();
    model_->drawColored(viewProjection, modelMatrix, clock, colour, *solidProgram_);
    ShaderProgram::unuse();
}

bool Ant::hitTest(const glm::vec4& origin, const glm::vec4& direction) {
    const auto [lo, hi] = pickBox();
    markers_.clear();
    for (const glm::vec3& corner : {lo, hi})
        markers_.push_back(
            {corner, glm::translate(glm::mat4(1.0f), corner),
             std::make_shared<Cube>(glm::vec3(0.1f), glm::vec4(0.0f, 0.0f, 1.0f, 1.0f))});

    const auto t = nearestBoxHit(lo, hi, origin, direction);
    if (!t) return false;
    const glm::vec4 hit = origin + *t * 1000.0f * direction;
    std::cout << "FOUND NEAREST HIT AT: " << formatVector(hit) << " in Distance " << *t << "\n";
    return true;
}

void Ant::clearPickMarkers() {
    markers_.clear();
}

std::vector<glm::vec3> Ant::pickMarkers() const {
    std::vector<glm::vec3> positions;
    for (const Marker& marker : markers_) positions.push_back(marker.position);
    return positions;
}

}  // namespace VX3D
