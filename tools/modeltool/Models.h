#pragma once
// The game's models. Each builder returns a complete scene ready for writeCollada.
#include "Collada.h"

#include <glm/glm.hpp>

namespace modelkit {

// Clip layout on the file's time line that the game's loader expects: clip c starts at
// c * 7/3 and lasts 2 units.
constexpr double kClipSpacing = 7.0 / 3.0;
constexpr double kClipLength = 2.0;
enum class AntClip { Fight = 0, Walk = 1, TurnLeft = 2, TurnRight = 3 };

struct AntColours {
    std::string suffix;  // makes material names unique per colour
    glm::vec3 body;
    glm::vec3 limbs;
    glm::vec3 mandibles;
};

Scene buildAnt(const AntColours& colours, const std::string& skinTexture);
Scene buildFood(const std::string& skinTexture);
Scene buildPortal(const std::string& stoneTexture, const std::string& energyTexture);

}  // namespace modelkit
