// The food piece: a strawberry lying on its side, with its green calyx and stem.
// Design space is the game's world (one unit per cell, y up), drawn with an
// identity placement at the cell's centre; the file mirrors z, which the loader's
// left-handed conversion undoes.
#include "Models.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <cmath>
#include <limits>

namespace modelkit {

Scene buildFood(const std::string& skinTexture) {
    Scene scene;
    scene.name = "FoodScene";
    scene.designToFile = glm::mat3(glm::vec3(1, 0, 0), glm::vec3(0, 1, 0), glm::vec3(0, 0, -1));
    scene.materials = {
        {"FoodBerry", glm::vec3(0.42f), glm::vec3(0.95f), glm::vec3(0.55f), 60.0f, skinTexture},
        {"FoodLeaf", glm::vec3(0.08f, 0.24f, 0.05f), glm::vec3(0.2f, 0.55f, 0.12f),
         glm::vec3(0.15f), 12.0f, ""},
        {"FoodStem", glm::vec3(0.14f, 0.2f, 0.06f), glm::vec3(0.36f, 0.5f, 0.16f), glm::vec3(0.1f),
         10.0f, ""},
    };
    const float k = 1.35f;  // overall size: about a quarter of a cell long
    std::vector<glm::vec2> profile = {
        {0.0f, 0.0f},     {0.02f, 0.008f},  {0.04f, 0.025f},  {0.058f, 0.048f}, {0.073f, 0.075f},
        {0.085f, 0.1f},   {0.093f, 0.125f}, {0.095f, 0.145f}, {0.09f, 0.165f},  {0.078f, 0.182f},
        {0.055f, 0.196f}, {0.028f, 0.204f}, {0.0f, 0.207f}};
    for (auto& p : profile) p *= k;
    Mesh berry = lathe(profile, 28, 1.0f, 1.0f, 1.0f);

    Mesh calyx;
    const glm::vec3 top(0.0f, 0.203f * k, 0.0f);
    for (int i = 0; i < 6; ++i) {
        const float a = glm::two_pi<float>() * static_cast<float>(i) / 6.0f + 0.3f;
        const glm::vec3 dir(std::cos(a), 0.12f, std::sin(a));
        calyx.append(leaf(top, dir, glm::vec3(0, 1, 0), 0.1f * k, 0.028f * k, 0.35f, 5));
    }
    Mesh stem = sweep({top, top + glm::vec3(0.004f, 0.03f, 0.0f) * k,
                       top + glm::vec3(0.018f, 0.058f, 0.004f) * k},
                      {0.009f * k, 0.008f * k, 0.007f * k}, 6);

    // Lay the berry on its side, slightly turned, resting on the ground at y = 0.
    glm::mat4 lay = glm::rotate(glm::mat4(1.0f), glm::radians(35.0f), glm::vec3(0, 1, 0)) *
                    glm::rotate(glm::mat4(1.0f), glm::radians(-72.0f), glm::vec3(0, 0, 1));
    float lowest = std::numeric_limits<float>::max();
    for (const auto& p : berry.positions) lowest = std::min(lowest, (lay * glm::vec4(p, 1.0f)).y);
    const glm::vec3 centre = glm::vec3(lay * glm::vec4(0.0f, 0.1f * k, 0.0f, 1.0f));
    lay = glm::translate(glm::mat4(1.0f), glm::vec3(-centre.x, -lowest, -centre.z)) * lay;
    for (Mesh* m : {&berry, &calyx, &stem}) m->transform(lay);

    Node root;
    root.name = "Food";
    root.mesh = std::move(berry);
    root.material = 0;
    Node calyxNode;
    calyxNode.name = "Calyx";
    calyxNode.mesh = std::move(calyx);
    calyxNode.material = 1;
    Node stemNode;
    stemNode.name = "Stem";
    stemNode.mesh = std::move(stem);
    stemNode.material = 2;
    root.children.push_back(std::move(calyxNode));
    root.children.push_back(std::move(stemNode));
    scene.root = std::move(root);
    return scene;
}

}  // namespace modelkit
