#pragma once
// Full-screen passes of the frame: each keeps its own program, quad and targets, made at its
// first call and kept until the shutdown releases it before the context goes
// (GLutil::ContextObjects). A returned texture stays valid until the next
// call of the same pass overwrites it.
#include "Texture/TextureHandle.h"

#include <memory>

namespace VX3D {

// Draws the texture over the whole of the bound frame buffer, in the current viewport, with
// the program "TextureOnlyShader". An empty texture draws the quad with no texture bound.
void drawTextureOnScreen(const std::shared_ptr<GLutil::TextureHandle>& texture);

// A blurred copy of the texture at width × height: along x into a target reduced by the
// factor, then along y at full size, samples one reduced texel apart. The reduced target keeps
// the size of the first call; later factors change only the step. The shadow mask and the
// selection glow each have their own instance ("BlurShader" programs and targets).
std::shared_ptr<GLutil::TextureHandle> shadowblurTexture(
    const std::shared_ptr<GLutil::TextureHandle>& texture, int width, int height, float factor);
std::shared_ptr<GLutil::TextureHandle> glowblurTexture(
    const std::shared_ptr<GLutil::TextureHandle>& texture, int width, int height, float factor);

// The scene colour (texture1) darkened where the blurred shadow mask (texture2: white lit,
// black in shadow) says, with "BlendTextureShader", into a target with mipmaps.
std::shared_ptr<GLutil::TextureHandle> blendTexture(
    const std::shared_ptr<GLutil::TextureHandle>& texture1,
    const std::shared_ptr<GLutil::TextureHandle>& texture2, int width, int height);

// The composite (texture1) with the blurred glow of the selected ant (texture2, its colour on
// black) laid over it as a halo, stronger the farther the ant (distanceRatio: distance / 30),
// with "OverblendTextureShader".
std::shared_ptr<GLutil::TextureHandle> overblendTexture(
    const std::shared_ptr<GLutil::TextureHandle>& texture1,
    const std::shared_ptr<GLutil::TextureHandle>& texture2, int width, int height,
    float distanceRatio);

}  // namespace VX3D
