#pragma once
// One frame of the 3D scene, drawn to the window, in this order: a depth-only shadow pass from
// the sun; the scene pass into three colour targets (colour, shadow mask, normals; see
// game/Shader/SceneOutputs.md); the fog of war into its own target at a quarter of the
// window's size each way, depth-tested against the scene's depth; the blurred shadow mask;
// the glow of the selected ant; and the compositing passes, the first of which lays the fog
// over the shadowed scene.
//
// renderFrame(Game&, ...) is the game's frame body. The work is the template
// renderSequence, written against what it needs of a controller, so that it can be run with
// any type that offers the same members:
//   bool gameOverShown;                 (not read here: the frame loop decides)
//   selection                           tested for presence (the glow runs only with one)
//   std::shared_ptr<GLutil::TextureHandle> shadowMap;   set for the frame, cleared after it
//   void drawShadow(const FrameClock&); void drawScene(const FrameClock&);
//   FogCover drawFog(const FrameClock&);  into the bound fog target, after the scene pass;
//                                       returns the cover the compositing lays beneath
//   float drawSelected(const FrameClock&);  distance of the selected ant from the eye
// A stage observer, when one is installed, hears of the start of the sequence and of the end of
// each stage (the frame benchmark finishes the graphics work there and reads its clock);
// without one a stage costs one test of a null pointer.
#include "FBO/FBO.h"
#include "Shader/ContextObjects.h"
#include "Texture/TextureHandle.h"
#include "Veltrix3D/BlurBlendPass.h"
#include "Veltrix3D/PostProcessing.h"
#include "Veltrix3D/RenderState.h"
#include "Window/FrameClock.h"

#include <GL/glew.h>

#include <algorithm>
#include <memory>

namespace VX3D {

class Game;

enum class FrameStage { begin, shadow, scene, fog, shadowBlur, glow, composite };

inline void (*frameStageObserver)(FrameStage stage) = nullptr;

inline void stageDone(FrameStage stage) {
    if (frameStageObserver) frameStageObserver(stage);
}

// The target the selected ant is drawn into for its glow: window-sized, with mipmaps (the
// reduced blur reads it through them), made at the first frame with a selection and kept
// until the shutdown releases it.
inline GLutil::FBO& glowTarget(int width, int height) {
    static GLutil::Kept<GLutil::FBO> target(
        [=] { return pass::makeColourTarget(width, height, true, false); });
    return *target;
}

// Distance from the eye at which the glow is at its narrowest: distanceRatio = distance / this.
inline constexpr float glowDistance = 30.0f;

template <class Controller>
void renderSequence(Controller& game, const FrameClock& clock, GLutil::FBO& shadowTarget,
                    GLutil::FBO& sceneTarget, int width, int height) {
    stageDone(FrameStage::begin);
    // Depth only, from the sun. The offset pushes the casters' depths back a little, so lit
    // surfaces do not shadow themselves.
    glBindFramebuffer(GL_FRAMEBUFFER, shadowTarget.id());
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    GLutil::FBO::checkStatus();
    glViewport(0, 0, shadowTarget.width(), shadowTarget.height());
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    RenderState::setPolygonOffsetFill(true);
    RenderState::setPolygonOffset(1.1f, 4.0f);
    game.drawShadow(clock);
    RenderState::setPolygonOffsetFill(false);
    shadowTarget.finish(true);
    game.shadowMap = shadowTarget.getTexture(0);
    stageDone(FrameStage::shadow);

    // The scene into colour, shadow mask and normals. The three draw buffers are set before
    // the clear, so that all three are cleared from the very first frame on.
    glViewport(0, 0, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, sceneTarget.id());
    static constexpr GLenum sceneBuffers[] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1,
                                              GL_COLOR_ATTACHMENT2};
    glDrawBuffers(3, sceneBuffers);
    GLutil::FBO::checkStatus();
    glViewport(0, 0, sceneTarget.width(), sceneTarget.height());
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    game.drawScene(clock);
    sceneTarget.finish(false);  // unbinds and makes the mipmaps the reduced blurs read
    stageDone(FrameStage::scene);

    // The fog, small: a soft cloud loses nothing at a quarter of the size each way, and its
    // many overlapping sprites cost a sixteenth of the pixels.
    GLutil::FBO& fogTarget = beginFogLayer(sceneTarget, width, height);
    const FogLayer fog = endFogLayer(fogTarget, game.drawFog(clock));
    stageDone(FrameStage::fog);

    // Every full-screen pass from here on draws filled even in wireframe mode: a blur quad
    // drawn as lines would leave the mask black (the whole scene in shadow) and lose the glow.
    const bool wireframe = RenderState::wireframe;
    if (wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    const auto shadowMask = shadowblurTexture(sceneTarget.getTexture(1), width, height, 4.0f);
    stageDone(FrameStage::shadowBlur);

    std::shared_ptr<GLutil::TextureHandle> glow;
    float distanceRatio = 0.0f;
    if (game.selection) {
        GLutil::FBO& target = glowTarget(width, height);
        pass::beginTarget(target);
        if (wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);  // the ant itself stays in lines
        distanceRatio = game.drawSelected(clock) / glowDistance;
        if (wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        target.finish(false);
        // A near ant fills much of the screen and gets a wide glow (factor 5 at the eye); from
        // glowDistance on the factor is 1.
        const float factor = (1.0f - std::min(distanceRatio, 1.0f)) * 4.0f + 1.0f;
        glow = glowblurTexture(target.getTexture(0), width, height, factor);
    }
    stageDone(FrameStage::glow);

    // The last pass leaves the window bound with the window-sized viewport.
    const auto composite = blendTexture(sceneTarget.getTexture(0), shadowMask, width, height, fog);
    const auto result =
        glow ? overblendTexture(composite, glow, width, height, distanceRatio) : composite;
    {
        pass::QuadStates states;
        drawTextureOnScreen(result);
    }
    game.shadowMap.reset();
    if (wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    stageDone(FrameStage::composite);
}

// The frame body of the game, while the game is not over.
void renderFrame(Game& game, const FrameClock& clock, GLutil::FBO& shadowTarget,
                 GLutil::FBO& sceneTarget, int width, int height);

}  // namespace VX3D
