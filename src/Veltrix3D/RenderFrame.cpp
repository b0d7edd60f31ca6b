#include "Veltrix3D/RenderFrame.h"

#include "Game/Game.h"

namespace VX3D {

void renderFrame(Game& game, const FrameClock& clock, GLutil::FBO& shadowTarget,
                 GLutil::FBO& sceneTarget, int width, int height) {
    renderSequence(game, clock, shadowTarget, sceneTarget, width, height);
}

}  // namespace VX3D
