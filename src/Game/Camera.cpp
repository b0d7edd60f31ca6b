#include "Game/Camera.h"

#include "Veltrix3D/RenderState.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>

namespace VX3D {

namespace {

constexpr float degreesToRadians = 0.017453292f;
constexpr float radiansToDegrees = 57.295776f;

glm::mat4 rotated(const glm::mat4& m, float degrees, const glm::vec3& axis) {
    return glm::rotate(m, degrees * degreesToRadians, glm::normalize(axis));
}

glm::vec3 rotated(const glm::vec3& v, float degrees, const glm::vec3& axis) {
    return glm::vec3(rotated(glm::mat4(1.0f), degrees, axis) * glm::vec4(v, 0.0f));
}

// Degrees between two unit vectors; the clamp keeps rounding just past ±1 from giving NaN.
float angleBetween(const glm::vec3& a, const glm::vec3& b) {
    return std::acos(std::clamp(glm::dot(a, b), -1.0f, 1.0f)) * radiansToDegrees;
}

bool degenerate(const glm::vec3& v) {
    return glm::dot(v, v) < 1e-12f;
}

}  // namespace

Camera::Camera() {
    rebuild();
}

void Camera::placeAt(const glm::vec3& position) {
    translation = glm::translate(glm::mat4(1.0f), -position);
    eye = glm::vec4(position, 1.0f);
    rebuild();
}

void Camera::aimAt(const glm::vec3& point) {
    const glm::vec3 towards = point - glm::vec3(eye);
    if (degenerate(towards)) return;
    const glm::vec3 dir = glm::normalize(towards);
    const glm::vec3 flat(dir.x, 0.0f, dir.z);
    // Straight up or down there is no heading to take: keep the current one.
    const glm::vec3 ahead(0.0f, 0.0f, -1.0f);
    float a = -yaw;
    if (!degenerate(flat)) {
        const glm::vec3 horizontal = glm::normalize(flat);
        a = angleBetween(ahead, horizontal);
        if (glm::cross(ahead, horizontal).y < 0.0f) a = -a;
    }
    const glm::vec3 h = rotated(ahead, a, glm::vec3(0.0f, 1.0f, 0.0f));
    yaw = -a;
    pitch = angleBetween(dir, h);
}

void Camera::handleInput(const FrameClock& clock, glm::ivec2 mouseDelta, const KeyDown& keyDown,
                         bool rightButtonDown) {
    const auto step = static_cast<float>((clock.current - clock.previous) * 4.0);
    const float turn = 8.0f * step;
    const float horizontal = RenderState::invertCameraHorizontal ? -1.0f : 1.0f;
    const float vertical = RenderState::invertCameraVertical ? -1.0f : 1.0f;
    bool anyKey = false;
    const auto pressed = [&](int code) {
        const bool down = keyDown(code);
        if (down) {
            move.w += step;
            anyKey = true;
        }
        return down;
    };
    if (pressed('W')) move.z -= step;
    if (pressed('A')) {
        move.x -= step;
        followYaw += -turn * horizontal;
    }
    if (pressed('S')) move.z += step;
    if (pressed('D')) {
        move.x += step;
        followYaw += turn * horizontal;
    }
    if (pressed(window::key::space)) {
        move.y += step;
        followPitch += turn * vertical;
    }
    if (pressed(window::key::leftShift)) {
        move.y -= step;
        followPitch += -turn * vertical;
    }
    if (rightButtonDown) {
        followYaw += static_cast<float>(mouseDelta.x) * horizontal;
        followPitch += -static_cast<float>(mouseDelta.y) * vertical;
    }
    if (rightButtonDown || anyKey || following) rebuild();
}

void Camera::follow() {
    const glm::vec3 v = glm::vec3(eye) - target;
    const float d = glm::length(v);
    if (d == 0.0f) {
        // Eye on the target: no direction to keep. The turn asked for in this frame is dropped
        // too, or it would jump the eye as soon as the target moves off.
        followPitch = 0.0f;
        followYaw = 0.0f;
        return;
    }
    const float distance = std::max(nearestDistance, d + move.z);
    const glm::vec3 dir = v / d;
    const glm::vec3 up(0.0f, 1.0f, 0.0f);
    // Straight above the target any heading will do.
    const glm::vec3 horizontal = degenerate(glm::vec3(v.x, 0.0f, v.z))
                                     ? glm::vec3(0.0f, 0.0f, 1.0f)
                                     : glm::normalize(glm::vec3(v.x, 0.0f, v.z));

    float elevation = angleBetween(horizontal, dir);
    // Level with the target the cross product vanishes; the axis that raises the eye is
    // then horizontal × up.
    glm::vec3 axis = glm::cross(horizontal, dir);
    axis = degenerate(axis) ? glm::cross(horizontal, up) : glm::normalize(axis);
    if (elevation <= lowestElevation) elevation = lowestElevation;

    if (elevation + followPitch > highestElevation)
        followPitch = static_cast<float>(double(highestElevation) - double(elevation));
    if (elevation + followPitch < 2.1f) followPitch = -elevation;

    glm::vec3 turned = rotated(dir, followPitch, axis);
    turned = rotated(turned, followYaw, yawAxis);
    eye = glm::vec4(target + turned * distance, 1.0f);
    aimAt(target);
    followPitch = 0.0f;
    followYaw = 0.0f;
}

void Camera::rebuild() {
    if (following) follow();
    translation = glm::translate(glm::mat4(1.0f), -glm::vec3(eye));
    pitch = std::clamp(pitch, -89.0f, 89.0f);
    rotation = rotated(rotated(glm::mat4(1.0f), pitch, pitchAxis), yaw, yawAxis);
    if (double(eye.y) < double(lowestEye)) {
        eye.y = lowestEye;
        translation = glm::translate(glm::mat4(1.0f), -glm::vec3(eye));
    }
    view = rotation * translation;
    move = glm::vec4(0.0f);
}

}  // namespace VX3D
