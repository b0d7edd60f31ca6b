#pragma once
// The camera of one player view: turns a frame's keys and right-button drag into a view
// matrix. Plain maths: no graphics calls, no window.
//
// Free mode: the view is the eye and two angles (pitch about pitchAxis, yaw about yawAxis).
// Follow mode (switched on by the owner, who sets target): the eye circles the target and is
// re-aimed at it at every rebuild. W and S change the distance (never nearer than 1), A and D
// turn about the vertical, Space and left Shift raise and lower the eye between 2.2 and 89
// degrees of elevation, a right-button drag turns one degree per pixel. The eye never goes
// below y = 0.42.
//
// The inversion settings RenderState::invertCameraHorizontal / invertCameraVertical flip the
// turning directions; they are read at each handleInput.
#include "Window/FrameClock.h"

#include <glm/glm.hpp>

#include <functional>

namespace VX3D {

class Camera {
public:
    // Whether the key or mouse button with this code (the game's code space 0..325) is down.
    using KeyDown = std::function<bool(int code)>;

    static constexpr float lowestEye = 0.42f;
    static constexpr float nearestDistance = 1.0f;
    static constexpr float lowestElevation = 2.2f;
    static constexpr float highestElevation = 89.0f;

    Camera();

    // Eye at position (translation by -position), then rebuild.
    void placeAt(const glm::vec3& position);
    // Sets yaw and pitch so that the free view looks from the eye at point; no rebuild.
    void aimAt(const glm::vec3& point);
    // Applies one frame of keys and right-button drag; rebuilds when anything was pressed
    // or while following.
    void handleInput(const FrameClock& clock, glm::ivec2 mouseDelta, const KeyDown& keyDown,
                     bool rightButtonDown);
    // Follow mode: moves the eye around the target and aims at it; then the view matrix.
    void rebuild();

    glm::vec4 move{0.0f};
    glm::vec4 eye{0.0f, 0.0f, 0.0f, 1.0f};
    glm::mat4 rotation{1.0f};
    glm::mat4 translation{1.0f};
    glm::mat4 view{1.0f};
    glm::vec3 target{0.0f};
    bool following = false;
    glm::vec3 yawAxis{0.0f, 1.0f, 0.0f};
    glm::vec3 pitchAxis{1.0f, 0.0f, 0.0f};
    float pitch = 5.0f;
    float yaw = 0.0f;
    float followPitch = 0.0f;
    float followYaw = 0.0f;

private:
    void follow();
};

}  // namespace VX3D
