// The portal: a round stone dais with four small standing stones, and above it the
// energy funnel "Cone001" that the game spins about the node's own z axis and
// recolours per portal pair.
//
// The game places the portal with translation (0.05, 0, 0.1) x scale (3.9, 1.4, 3.5)
// on top of the model, so the shapes are authored in world units (one cell) and
// divided by that placement here. Normals are stored divided by the scale as well:
// the game's normal matrix is the model matrix itself, which then brings them back
// to the true world normals.
#include "Models.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

namespace modelkit {
namespace {

const glm::vec3 kPlacementScale(3.9f, 1.4f, 3.5f);
const glm::vec3 kPlacementShift(0.05f, 0.0f, 0.1f);

// World-unit mesh (centred on the cell) into model units under the game's placement.
void intoModelUnits(Mesh& m) {
    for (auto& p : m.positions) p = (p - kPlacementShift) / kPlacementScale;
    for (auto& n : m.normals) n = glm::normalize(n / kPlacementScale);
}

}  // namespace

Scene buildPortal(const std::string& stoneTexture, const std::string& energyTexture) {
    Scene scene;
    scene.name = "PortalScene";
    scene.designToFile = glm::mat3(glm::vec3(1, 0, 0), glm::vec3(0, 1, 0), glm::vec3(0, 0, -1));
    scene.materials = {
        {"PortalStone", glm::vec3(0.4f), glm::vec3(0.85f), glm::vec3(0.2f), 16.0f, stoneTexture},
        {"PortalEnergy", glm::vec3(0.9f), glm::vec3(1.0f), glm::vec3(0.6f), 60.0f, energyTexture},
    };

    // Dais: a low drum with a bevelled rim and a shallow basin.
    Mesh dais = lathe({{0.43f, 0.0f},
                       {0.42f, 0.03f},
                       {0.41f, 0.066f},
                       {0.38f, 0.078f},
                       {0.34f, 0.075f},
                       {0.30f, 0.055f},
                       {0.22f, 0.045f},
                       {0.0f, 0.045f}},
                      36, 1.0f, 1.0f, 3.0f);
    for (int i = 0; i < 4; ++i) {
        const float a = glm::half_pi<float>() * static_cast<float>(i) + glm::quarter_pi<float>();
        const glm::vec3 foot(0.37f * std::cos(a), 0.07f, 0.37f * std::sin(a));
        dais.append(sweep({foot, foot + glm::vec3(0, 0.12f, 0), foot + glm::vec3(0, 0.24f, 0)},
                          {0.035f, 0.03f, 0.018f}, 5, false, true));
    }
    intoModelUnits(dais);

    // Funnel, built about y in model units so that it stays round in the model and
    // its outline does not wobble when it spins; then laid along the node's z axis.
    std::vector<glm::vec2> profile;
    for (int j = 0; j <= 12; ++j) {
        const float s = static_cast<float>(j) / 12.0f;
        const float height = 0.07f + 0.8f * s;
        const float radius = 0.05f + 0.29f * std::pow(s, 1.5f);
        profile.push_back({radius / 3.7f, height / kPlacementScale.y});
    }
    Mesh cone = lathe(profile, 36, 1.0f, 1.0f, 2.0f);
    const glm::mat4 yToZ = glm::rotate(glm::mat4(1.0f), glm::half_pi<float>(), glm::vec3(1, 0, 0));
    cone.transform(yToZ);
    // The node's own origin sits on the funnel's axis at the cell's centre, so the
    // spin about its z axis turns the funnel in place.
    const glm::vec3 centre = -kPlacementShift / kPlacementScale;

    Node root;
    root.name = "Portal";
    root.mesh = std::move(dais);
    root.material = 0;
    Node energy;
    energy.name = "Cone001";
    energy.mesh = std::move(cone);
    energy.material = 1;
    energy.transform = glm::translate(glm::mat4(1.0f), centre) * glm::inverse(yToZ);
    root.children.push_back(std::move(energy));
    scene.root = std::move(root);
    return scene;
}

}  // namespace modelkit
