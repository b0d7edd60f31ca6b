#pragma once
// The sun: the scene's one light and a camera-facing glowing disc in the sky.
//
// Its position lights every lit shader ("lightPos"), its view-projection (lightMatrix)
// renders the shadow map and is the base of every "SMMatrix". It looks straight down
// over the field. Each score moves it a tenth of a unit towards the side of the player
// who scored and shifts its tint towards the leader's colour.
//
// Needs a current OpenGL context to be built (texture, program, disc mesh) and the
// game's working directory as the current directory.
#include "Drawables/SceneObject/SceneObject.h"
#include "Shader/ShaderProgram.h"
#include "Texture/Texture.h"
#include "Texture/TextureHandle.h"
#include "VAO/DrawableVAO.h"

#include <glm/glm.hpp>

#include <memory>
#include <vector>

namespace VX3D {

// The sun's depth texture as the lit drawables receive it; empty before the first shadow pass.
using ShadowMap = std::shared_ptr<GLutil::TextureHandle>;

// Bias × the sun's view-projection: maps −1…1 to 0…1, the "SMMatrix" of every lit drawable.
glm::mat4 shadowMapMatrix(const glm::mat4& lightViewProjection);

class Sun {
public:
    // balanceScale: the number of food pieces, the lead at which the tint is at full strength.
    explicit Sun(int balanceScale);
    Sun(const Sun&) = delete;
    Sun& operator=(const Sun&) = delete;

    // projection × rotate(90°, x) × translate(−position): the view-projection of the shadow pass.
    glm::mat4 lightMatrix() const;
    GLutil::drawableObjects::SceneLight light() const { return {position, lightMatrix()}; }

    // Player 0 scored: balance − 1 and the sun 0.1 towards −x; anyone else: + 1 and 0.1
    // towards +x. Prints "ScoreBalance: <balance>".
    void scoreChanged(int player);

    // (0,0,0,0) while level; red while player 0 leads, blue while player 1 does, with the
    // lead ÷ balanceScale as alpha (the strength of the tint).
    glm::vec4 dominantColor() const;

    // The disc at the sun's position, facing the camera.
    void draw(const glm::mat4& view, const glm::mat4& projection);

    // Perspective of the shadow pass: 120° vertical field of view, aspect 1.5, depth 1..20.
    static glm::mat4 lightProjection();

    // The disc as a triangle fan: the centre, then 49 rim points every 7.5° (the last
    // closes the fan); texture coordinates map the unit disc onto the whole texture.
    struct Disc {
        std::vector<glm::vec3> positions;
        std::vector<glm::vec2> uvs;
    };
    static Disc discMesh();

    glm::vec3 position{10.0f, 6.0f, -6.5f};
    int balance = 0;
    int balanceScale;

private:
    GLutil::DrawableVAO disc_;
    GLutil::Texture texture_;
    std::shared_ptr<GLutil::ShaderProgram> program_;
};

}  // namespace VX3D
