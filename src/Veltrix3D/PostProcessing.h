#pragma once
// Full-screen passes of the frame: each keeps its own program and quad, made at its first call
// and kept until the process ends.
#include "Texture/TextureHandle.h"

#include <memory>

namespace VX3D {

// Draws the texture over the whole of the bound frame buffer, in the current viewport, with
// the program "TextureOnlyShader". An empty texture draws the quad with no texture bound.
void drawTextureOnScreen(const std::shared_ptr<GLutil::TextureHandle>& texture);

}  // namespace VX3D
