#pragma once
// The fog of war: 20000 textured particles that drift over the field and vanish where the
// viewing player's ants can see.
//
// Everything lives on the graphics card. Each frame a transform-feedback pass moves the
// particles from one position buffer into the other (update); when the ants move a second
// pass recomputes each particle's visibility flag (updateVisible); draw shows the buffer the
// last update wrote and then swaps. Per frame the owner calls update, then draw.
//
//   Fog(maxHeight)   lays out the initial cloud (printing "Init particles begin"/"end"),
//                    builds the buffers, the fog texture and the three programs. Missing
//                    shaders, texture or uniforms throw the wrappers' std::logic_error.
//   update(clock)    moves every particle by the frame's time; a frame longer than 0.05 s
//                    moves nothing, so a stall does not throw the cloud about.
//   updateVisible(a, b, range)  clears every particle within range of a or b, measured in
//                    the ground plane, and uncovers no other.
//   draw(mvp)        nothing at all while RenderState::fog is off (not even the swap).
#include "Shader/ShaderProgram.h"
#include "Texture/Texture.h"
#include "TransformFeedback/TransformFeedback.h"
#include "VAO/VAO.h"
#include "VAO/VBO.h"
#include "Window/FrameClock.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace VX3D {

class Fog {
public:
    static constexpr int particleCount = 20000;
    // The cloud covers this many columns and rows whatever the field's configured size.
    static constexpr int columns = 20;
    static constexpr int rows = 13;
    // Frames longer than this move nothing.
    static constexpr float longestStep = 0.05f;

    explicit Fog(float maxHeight);
    Fog(const Fog&) = delete;
    Fog& operator=(const Fog&) = delete;

    void update(const FrameClock& clock);
    void updateVisible(const glm::vec3& antPos1, const glm::vec3& antPos2, float range);
    void draw(const glm::mat4& mvp);

    // The initial cloud as the constructor lays it out, drawing four numbers of the C
    // runtime's random source per particle.
    struct Particles {
        std::vector<glm::vec4> positions;
        std::vector<glm::vec4> colours;
    };
    static Particles initialParticles(float maxHeight);
    // The "elapsedTime" an update passes for a clock: the frame time, or 0 after a long frame.
    static float stepFor(const FrameClock& clock);

    float maxHeight() const { return maxHeight_; }
    // Buffer names for tools and tests that read the particles back.
    GLuint positionBuffer(int index) const {
        return positions_[static_cast<std::size_t>(index)]->id();
    }
    GLuint colourBuffer() const { return colours_->id(); }
    GLuint visibilityBuffer() const { return visibility_->id(); }

    int current = 0;

private:
    float maxHeight_;
    std::array<std::shared_ptr<GLutil::VBO>, 2> positions_;
    std::shared_ptr<GLutil::VBO> colours_;
    std::shared_ptr<GLutil::VBO> visibility_;
    // The passes record their attribute slots here rather than in whatever vertex array
    // the caller left bound.
    GLutil::VAO vao_;
    GLutil::TransformFeedback moveFeedback_;
    GLutil::TransformFeedback visibleFeedback_;
    GLutil::Texture texture_;
    std::shared_ptr<GLutil::ShaderProgram> updateProgram_;
    std::shared_ptr<GLutil::ShaderProgram> visibleProgram_;
    std::shared_ptr<GLutil::ShaderProgram> drawProgram_;
};

}  // namespace VX3D
