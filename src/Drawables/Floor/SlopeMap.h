#pragma once
// The slope of a height image as a float texture, so that a fragment shader gets the
// surface's light-giving normal from one lookup instead of four around it.
//
// Each texel holds (dh/du, dh/dv, h, 1): the change of height per whole texture width and
// height, and the height itself, all from the image smoothed over a small square: the
// 8-bit steps of the image would otherwise show as ripples in the light. Heights are in
// the caller's units; u always repeats, v repeats or stops at the edges as asked.
#include "Texture/TextureHandle.h"

#include <memory>
#include <vector>

namespace VX3D {

struct SlopeTexels {
    int width = 0;
    int height = 0;
    std::vector<float> rgba;  // rows top first, as the image
};

// heights: width × height values, rows top first. radius: half the side of the smoothing
// square and the reach of the differences, in texels.
SlopeTexels slopeTexels(const std::vector<float>& heights, int width, int height, int radius,
                        bool repeatV);

// A mipmapped RGBA16F texture of the texels; bind it with bindSlopeMap.
std::shared_ptr<GLutil::TextureHandle> uploadSlopeMap(const SlopeTexels& texels, bool repeatV);

// Binds the map on the unit, filtered within the nearest mipmap: the map is smooth, so the
// blend between two mipmaps that the images get would only cost time.
void bindSlopeMap(const GLutil::TextureHandle& map, int unit);

}  // namespace VX3D
