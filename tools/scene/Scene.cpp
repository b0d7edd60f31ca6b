#include "Scene.h"

#include "Drawables/ViewVolume/ViewVolume.h"

namespace VX3DScene {

int initialFacing(Veltrix::Position cell, int fieldWidth, int fieldHeight) {
    const int dx = std::max(cell.x, fieldWidth - cell.x),
              dy = std::max(cell.y, fieldHeight - cell.y);
    if (dx > dy) return cell.x > fieldWidth - cell.x ? -1 : 1;
    return cell.y > fieldHeight - cell.y ? -1 : 1;
}

glm::vec3 antPosition(Veltrix::Position cell, int facing) {
    return {static_cast<float>(cell.x) + 0.5f - 0.252f * static_cast<float>(facing), 0.0f,
            -(static_cast<float>(cell.y) + 0.5f)};
}

Scene::Scene(const Veltrix::RuleOptions& rules_, unsigned seed, int envLevel)
    : rules(rules_),
      random(seed),
      referee(0, rules, random),
      sun(rules.foodPieces),
      skybox("res/Textures/CubeMap.png"),
      environment(envLevel),
      floor(std::make_shared<VX3D::Floor>(rules.fieldWidth, rules.fieldHeight)),
      statusbar(rules.movesPerAnt) {
    for (const auto& [cell, present] : referee.state.food)
        if (present) food.push_back(std::make_unique<VX3D::Food>(cell));
    for (const char* path :
         {"res/Textures/EnergyG.png", "res/Textures/EnergyM.png", "res/Textures/EnergyT.png"})
        energies.emplace_back(path, 0);
    // As the game colours the k-th pair the rules list: (0.5, k/P, k/P).
    const float pairs = static_cast<float>(referee.state.portalEntries.size());
    for (const auto& [entry, exit] : referee.state.portalEntries) {
        const std::size_t k = portals.size();
        const float shade = static_cast<float>(k) / pairs;
        portals.push_back(std::make_unique<VX3D::Portal>(
            entry, exit, glm::vec4(0.5f, shade, shade, 1.0f), energies[k % 3]));
    }
    const Veltrix::Position cell = referee.state.players.at(0).ants.at(0).position();
    const int s = initialFacing(cell, rules.fieldWidth, rules.fieldHeight);
    const glm::vec4 ahead(static_cast<float>(cell.x + s) + 0.5f, 0.0f,
                          -(static_cast<float>(cell.y) + 0.5f), 1.0f);
    moveIndicator = std::make_unique<VX3D::MoveIndicator>(0, cell, ahead);
    statusbar.current = statusbar.maximum / 2;
}

glm::vec3 Scene::playerTarget() const {
    const Veltrix::Position cell = referee.state.players.at(0).ants.at(0).position();
    return antPosition(cell, initialFacing(cell, rules.fieldWidth, rules.fieldHeight));
}

glm::vec3 Scene::playerEye() const {
    const Veltrix::Position cell = referee.state.players.at(0).ants.at(0).position();
    const int s = initialFacing(cell, rules.fieldWidth, rules.fieldHeight);
    const glm::vec3 ant = antPosition(cell, s);
    return {ant.x - 6.0f * static_cast<float>(s), 4.0f, ant.z};
}

void Scene::addAnts() {
    const auto& p0 = referee.state.players.at(0).ants;
    const Veltrix::Position walkerCell = p0.at(0).position(), deadCell = p0.at(1).position();
    const int s = initialFacing(walkerCell, rules.fieldWidth, rules.fieldHeight);
    const Veltrix::Position fighterCell{walkerCell.x + 2 * s, walkerCell.y};
    VX3D::Ant* walker =
        ants.emplace_back(std::make_unique<VX3D::Ant>(walkerCell, s, glm::vec4(1, 0, 0, 1), floor,
                                                      rules.movesPerAnt, 0))
            .get();
    VX3D::Ant* fighter =
        ants.emplace_back(std::make_unique<VX3D::Ant>(fighterCell, -s, glm::vec4(0, 0, 1, 1), floor,
                                                      rules.movesPerAnt, 1))
            .get();
    VX3D::Ant* dead =
        ants
            .emplace_back(std::make_unique<VX3D::Ant>(
                deadCell, initialFacing(deadCell, rules.fieldWidth, rules.fieldHeight),
                glm::vec4(1, 0, 0, 1), floor, rules.movesPerAnt, 0))
            .get();
    // Started in the past, so that a frame drawn at time 0 shows the fight clip 0.8 s in and
    // the walk halfway with its clip 0.55 s in.
    VX3D::FrameClock clock(-1.8);
    fighter->startTurnOnSpot(fighter->position + 0.504f * fighter->facing, -fighter->facing, clock,
                             nullptr, {}, 2.6f);
    clock.update(-0.8);
    fighter->update(clock);
    clock = VX3D::FrameClock(-0.6);
    walker->startMove({walkerCell.x + s, walkerCell.y}, clock, false, false, nullptr, {}, 2.6f);
    clock.update(-0.55);
    walker->update(clock);
    clock.update(0.0);
    walker->update(clock);
    dead->die();
}

void Scene::addFog() {
    fog = std::make_unique<VX3D::Fog>(1.0f);
    // As the game does: the centres of the ants' cells, and the rules' squares around them.
    glm::vec3 at[2];
    for (int a = 0; a < 2; ++a) {
        const Veltrix::Position cell = referee.state.players.at(0).ants.at(a).position();
        at[a] = {static_cast<float>(cell.x) + 0.5f, 0.0f, -(static_cast<float>(cell.y) + 0.5f)};
    }
    fog->updateVisible(at[0], at[1], VX3D::Fog::clearedHalfSide(rules.antVisibilityRadius));
}

bool Scene::seen(Veltrix::Position cell) const {
    return !fog || referee.state.players.at(0).visible.contains(cell);
}

VX3D::FogCover Scene::drawFog(const glm::mat4& viewProjection, const VX3D::FrameClock& clock) {
    if (!fog || !shown("fog")) return {};
    fog->update(clock);
    fog->draw(viewProjection);
    return fog->cover(viewProjection);
}

void Scene::drawShadow(const glm::mat4& lightViewProjection, const glm::vec3& eye,
                       const VX3D::FrameClock& clock) {
    if (shown("floor")) floor->drawShadow(lightViewProjection, eye);
    if (shown("ants"))
        for (auto& ant : ants) ant->drawShadow(lightViewProjection, eye, clock);
    if (shown("food"))
        for (auto& piece : food)
            if (seen(piece->cell)) piece->drawShadow(lightViewProjection, eye, clock);
    if (shown("portals"))
        for (auto& portal : portals)
            if (seen(portal->end(0)) || seen(portal->end(1)))
                portal->drawShadow(lightViewProjection, eye, clock);
}

void Scene::drawScene(const glm::mat4& view, const glm::mat4& projection, const glm::vec3& eye,
                      const VX3D::FrameClock& clock, const VX3D::ShadowMap& shadowMap) {
    const glm::mat4 viewProjection = projection * view;
    VX3D::extractPlanes(viewProjection);
    if (shown("sky")) skybox.draw(view, projection);
    if (fog && shown("fog")) fog->drawCover(viewProjection);
    if (shown("floor")) floor->draw(viewProjection, eye, sun, shadowMap);
    if (shown("ants"))
        for (auto& ant : ants)
            ant->draw(viewProjection, eye, sun, clock, shadowMap, projection, view);
    if (shown("mountains")) environment.draw(viewProjection, eye, sun, shadowMap);
    if (shown("food"))
        for (auto& piece : food)
            if (seen(piece->cell)) piece->draw(viewProjection, eye, sun, clock, shadowMap);
    if (shown("sun")) sun.draw(view, projection);
    // See-through last: the portals' cones, the move line, the bar.
    if (shown("portals"))
        for (auto& portal : portals)
            if (seen(portal->end(0)) || seen(portal->end(1)))
                portal->draw(viewProjection, eye, sun, clock, shadowMap);
    if (shown("marks")) {
        moveIndicator->draw(viewProjection);
        const Veltrix::Position cell = referee.state.players.at(0).ants.at(0).position();
        statusbar.draw(view, projection,
                       antPosition(cell, initialFacing(cell, rules.fieldWidth, rules.fieldHeight)) +
                           glm::vec3(0.0f, 0.75f, 0.0f));
    }
}

}  // namespace VX3DScene
