#pragma once
// Full-screen passes of the frame: each keeps its own program, quad and targets, made at its
// first call and kept until the shutdown releases it before the context goes
// (GLutil::ContextObjects). A returned texture stays valid until the next
// call of the same pass overwrites it.
#include "Drawables/Fog/FogCover.h"
#include "FBO/FBO.h"
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

// The fog of war as its pass leaves it for the compositing: all three present, or none.
struct FogLayer {
    // Premultiplied colour and coverage, reduced (fogReduction), filtered up when laid over.
    std::shared_ptr<GLutil::TextureHandle> colour;
    // The depth of the nearest fog in each reduced pixel (1 where there is none).
    std::shared_ptr<GLutil::TextureHandle> nearest;
    // The scene's own depth at full size: what stands in front of all the fog around a pixel
    // keeps its colour, however small (the reduced layer sampled the scene's depth sparsely).
    std::shared_ptr<GLutil::TextureHandle> sceneDepth;
    // The closed cover beneath the particles, which the compositing lays from the depth.
    FogCover cover;
};

// The scene colour (texture1) darkened where the blurred shadow mask (texture2: white lit,
// black in shadow) says, with "BlendTextureShader", into a target with mipmaps. With a fog
// layer the fog is laid over the shadowed scene.
std::shared_ptr<GLutil::TextureHandle> blendTexture(
    const std::shared_ptr<GLutil::TextureHandle>& texture1,
    const std::shared_ptr<GLutil::TextureHandle>& texture2, int width, int height,
    const FogLayer& fog = {});

// The fog of war is drawn into a target this many times smaller than the window each way:
// its particles are soft, and on a software renderer their cost is the pixels they blend.
inline constexpr int fogReduction = 4;

// Starts the fog's pass: copies the scene target's depth (into a full-size texture, and into
// the reduced fog target for the depth test), binds the reduced fog target (made at the first
// call for that window size, and kept) with its two outputs cleared (0 colour and coverage,
// transparent; 1 the nearest fog's depth, kept by the smaller value, far) and the viewport set
// to its size. The caller draws the fog and then ends the pass with endFogLayer, which
// finishes the target and returns the layer for blendTexture, with the cover (see FogCover;
// without a shown cover the compositing draws no fog at all).
GLutil::FBO& beginFogLayer(const GLutil::FBO& sceneTarget, int width, int height);
FogLayer endFogLayer(GLutil::FBO& target, const FogCover& cover);

// The composite (texture1) with the blurred glow of the selected ant (texture2, its colour on
// black) laid over it as a halo, stronger the farther the ant (distanceRatio: distance / 30),
// with "OverblendTextureShader".
std::shared_ptr<GLutil::TextureHandle> overblendTexture(
    const std::shared_ptr<GLutil::TextureHandle>& texture1,
    const std::shared_ptr<GLutil::TextureHandle>& texture2, int width, int height,
    float distanceRatio);

}  // namespace VX3D
