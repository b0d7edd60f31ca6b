#pragma once
// A portal pair: one stone ring with a spinning cone of energy at each of its two cells,
// coloured with the portal's energy texture. Each portal loads its own model (the cone's
// texture is its own) and builds its own two programs.
//
// Needs a current OpenGL context and the game's working directory ("./res/Portal.DAE",
// "Shader/...").
#include "Drawables/BoundingBox/BoundingBox.h"
#include "Drawables/SceneObject/SceneObject.h"
#include "Drawables/Sun/Sun.h"
#include "Texture/Texture.h"
#include "Veltrix/Types.h"
#include "Window/FrameClock.h"

#include <glm/glm.hpp>

#include <array>
#include <memory>

namespace VX3D {

class Portal {
public:
    Portal(Veltrix::Position entry, Veltrix::Position exit, const glm::vec4& colour,
           const GLutil::Texture& energy);

    // Moves both ends; their boxes take the new places at the next culling test.
    void setPositions(Veltrix::Position entry, Veltrix::Position exit);
    // The visible ends, inside of the see-through cone first, then its outside.
    void draw(const glm::mat4& viewProjection, const glm::vec3& eye, const Sun& sun,
              const FrameClock& clock, const ShadowMap& shadowMap);
    void drawShadow(const glm::mat4& lightViewProjection, const glm::vec3& eye,
                    const FrameClock& clock);

    // The model's placement: translation (0.05, 0, 0.1) × scale (3.9, 1.4, 3.5) × the root's
    // local transform, which fits the ring to a cell.
    static glm::mat4 placement(const glm::mat4& rootLocal);
    // The cone's local transform at a time: its initial one turned −15° per second about z.
    static glm::mat4 spin(const glm::mat4& initial, double secondsSinceStart);

    Veltrix::Position end(int index) const { return ends_[index]; }
    const glm::mat4& endMatrix(int index) const { return endMatrices_[index]; }
    BoundingBox& box(int index) { return boxes_[index]; }
    const glm::vec4& colour() const { return colour_; }
    GLutil::ShaderProgram& litProgram() { return *program_; }
    // The node that spins and carries the energy texture: "Cone001", or the root when the
    // model has no such node.
    GLutil::drawableObjects::SceneObject& cone();

private:
    glm::mat4 boxMatrix(int index) const { return endMatrices_[index] * model_.localTransform; }

    std::array<Veltrix::Position, 2> ends_;
    std::array<glm::mat4, 2> endMatrices_;
    glm::vec4 colour_;
    GLutil::drawableObjects::SceneObject model_;
    glm::mat4 coneInitial_;
    std::array<BoundingBox, 2> boxes_;
    std::shared_ptr<GLutil::ShaderProgram> program_;
    std::shared_ptr<GLutil::ShaderProgram> shadowProgram_;
};

}  // namespace VX3D
