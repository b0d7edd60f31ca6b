#include "Scene.h"

#include "Drawables/ViewVolume/ViewVolume.h"

namespace VX3DScene {

int initialFacing(Veltrix::Position cell, int fieldWidth, int fieldHeight) {
    const int dx = std::max(cell.x, fieldWidth - cell.x), dy = std::max(cell.y, fieldHeight - cell.y);
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
      floor(std::make_shared<VX3D::Floor>(rules.fieldWidth, rules.fieldHeight)) {}

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

void Scene::drawShadow(const glm::mat4& lightViewProjection, const glm::vec3& eye, const VX3D::FrameClock&) {
    floor->drawShadow(lightViewProjection, eye);
}

void Scene::drawScene(const glm::mat4& view, const glm::mat4& projection, const glm::vec3& eye,
                      const VX3D::FrameClock&, const VX3D::ShadowMap& shadowMap) {
    const glm::mat4 viewProjection = projection * view;
    VX3D::extractPlanes(viewProjection);
    skybox.draw(view, projection);
    floor->draw(viewProjection, eye, sun, shadowMap);
    environment.draw(viewProjection, eye, sun, shadowMap);
    sun.draw(view, projection);
}

}  // namespace VX3DScene
