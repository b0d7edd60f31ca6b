#pragma once
// A food piece on its cell. All pieces share one model and its two programs, made by the
// first piece and kept until the shutdown releases them; each piece has its own culling box.
//
// Needs a current OpenGL context and the game's working directory ("./res/Food.DAE",
// "Shader/...").
#include "Drawables/BoundingBox/BoundingBox.h"
#include "Drawables/Sun/Sun.h"
#include "Veltrix/Types.h"
#include "Window/FrameClock.h"

#include <glm/glm.hpp>

namespace VX3D {

class Food {
public:
    explicit Food(Veltrix::Position cell);

    // Nothing when the box is outside the view volume; the box itself while the bounding
    // boxes are shown; then the lit model.
    void draw(const glm::mat4& viewProjection, const glm::vec3& eye, const Sun& sun,
              const FrameClock& clock, const ShadowMap& shadowMap);
    void drawShadow(const glm::mat4& lightViewProjection, const glm::vec3& eye,
                    const FrameClock& clock);

    // The translation to the cell's centre (x + 0.5, 0, −(y + 0.5)).
    static glm::mat4 placementOf(Veltrix::Position cell);
    BoundingBox& box() { return box_; }
    // The lit program all pieces share ("FoodShader").
    static GLutil::ShaderProgram& litProgram();

    Veltrix::Position cell;
    bool eaten = false;
    glm::mat4 modelMatrix;

private:
    BoundingBox box_;
};

}  // namespace VX3D
