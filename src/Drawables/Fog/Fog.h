#pragma once
// The fog of war: 20000 textured particles that drift over the field and vanish where the
// viewing player's ants can see.
//
// Everything lives on the graphics card. Each frame a transform-feedback pass moves the
// particles from one position buffer into the other (update); when the ants move a second
// pass recomputes each particle's visibility flag (updateVisible); draw shows the buffer the
// last update wrote and then swaps. Per frame the owner calls update, then draw.
//
// What the ants see is the rules' square of cells around each of them, so the fog clears a
// square too. The particles are the cloud's moving surface; what keeps the cover closed
// between them is the compositing, which hides every pixel whose world point lies in an
// unseen cell (cover() hands it the squares and the view). The draw decides from the ants'
// last positions (kept by updateVisible) rather than from the flags: the flags belong to
// where the particles were at that pass, and the drift would otherwise carry covered
// particles into a cleared square during a long turn, and cleared ones out of it. The draw
// fades particles over the outer half cell inside the square, as the compositing fades the
// cover, so the cleared region has a soft edge.
//
//   Fog(maxHeight)   lays out the initial cloud (printing "Init particles begin"/"end"),
//                    builds the buffers, the fog texture and the three programs. Missing
//                    shaders, texture or uniforms throw the wrappers' std::logic_error.
//   update(clock)    moves every particle by the frame's time; a frame longer than 0.05 s
//                    moves nothing, so a stall does not throw the cloud about.
//   updateVisible(a, b, range)  flags as cleared every particle within range of a or b,
//                    measured in the ground plane along x and along z (a square of side
//                    2 × range), and no other; the draw clears that square from then on.
//   drawCover(mvp)   the sheet into the scene pass (see below).
//   draw(mvp)        an even share of the particles as soft sprites into the bound target:
//                    premultiplied colour and coverage on output 0, their depth on output 1
//                    (the render sequence's reduced fog layer, laid over the scene when the
//                    frame is composited). Nothing at all while RenderState::fog is off (not
//                    even the swap).
#include "Drawables/Fog/FogCover.h"
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
    // The height of drawCover's sheet: above the highest ground (the relief stays under 0.3)
    // and below the lowest eye (the camera stays above 0.42), so that it lies in front of the
    // ground it hides from any eye.
    static constexpr float sheetHeight = 0.38f;

    explicit Fog(float maxHeight);
    Fog(const Fog&) = delete;
    Fog& operator=(const Fog&) = delete;

    void update(const FrameClock& clock);
    void updateVisible(const glm::vec3& antPos1, const glm::vec3& antPos2, float range);
    void draw(const glm::mat4& mvp);
    // Into the scene pass, before the ground: a flat sheet, opaque and fog-coloured with depth,
    // wherever all it hides lies in unseen cells, so that the ground the compositing will
    // cover anyway is never shaded. Nothing while RenderState::fog is off.
    void drawCover(const glm::mat4& mvp);
    // The cover the compositing lays over the scene drawn with mvp (not shown while
    // RenderState::fog is off).
    FogCover cover(const glm::mat4& mvp) const;

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
    // The half side of the cleared squares: the cells an ant sees around its own (the rules'
    // radius) and the half of its own cell on each side.
    static float clearedHalfSide(int visibilityRadius) {
        return static_cast<float>(visibilityRadius) + 0.5f;
    }

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
    std::shared_ptr<GLutil::VBO> sheet_;
    std::shared_ptr<GLutil::ShaderProgram> sheetProgram_;
    // The last updateVisible's squares, which the draw clears; none before the first.
    glm::vec3 seenFrom_[2] = {glm::vec3(0.0f), glm::vec3(0.0f)};
    float seenRange_ = -1.0f;
};

}  // namespace VX3D
