#pragma once
// The bar that floats over an ant: full and green at its maximum, shrinking towards its
// centre and turning red as the owner lowers the current value. It always faces the camera.
#include "Shader/ShaderProgram.h"
#include "VAO/DrawableVAO.h"

#include <glm/glm.hpp>

#include <memory>

namespace VX3D {

class Statusbar {
public:
    // Current and maximum both start at the maximum.
    explicit Statusbar(int maximum);
    void draw(const glm::mat4& view, const glm::mat4& projection, const glm::vec3& position);

    // current / maximum, held to 0..1 (0 for a maximum of 0 or less), so an overdrawn value
    // never mirrors the bar.
    float fraction() const { return fraction(current, maximum); }
    static float fraction(int current, int maximum);
    // (1 − f, f, 0, 0.8).
    static glm::vec4 colour(float fraction);
    // projection × view × translation(position) × the view's inverse rotation × scale(f, 1, 1).
    static glm::mat4 modelViewProjection(const glm::mat4& view, const glm::mat4& projection,
                                         const glm::vec3& position, float fraction);

    int current;
    int maximum;

private:
    std::shared_ptr<GLutil::DrawableVAO> quad_;
    std::shared_ptr<GLutil::ShaderProgram> program_;
};

}  // namespace VX3D
