#pragma once
// What the compositing needs to lay the fog's closed cover over the scene: which squares of
// the field the viewing player sees, and the view the frame was drawn with, so that each
// pixel's depth gives back the point of the world it shows. Plain data, no graphics calls.
#include <glm/glm.hpp>

namespace VX3D {

struct FogCover {
    // False: no cover at all (the fog switched off, or no fog in this frame).
    bool shown = false;
    glm::mat4 inverseViewProjection{1.0f};
    // The ants' squares: centres and half side; a negative half side clears nothing.
    glm::vec3 seenFrom[2] = {glm::vec3(0.0f), glm::vec3(0.0f)};
    float range = -1.0f;
};

}  // namespace VX3D
