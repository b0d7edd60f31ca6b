// Measurements shared by the image tests: how strongly an image jumps across
// its wrap-around border compared with how much it changes between
// neighbouring pixels inside.
#pragma once

#include "imagecore/Image.h"

#include <glm/common.hpp>

#include <cmath>

namespace vximg::test {

inline float pixelDifference(glm::vec4 a, glm::vec4 b) {
    const glm::vec4 d = glm::abs(a - b);
    return (d.r + d.g + d.b + d.a) / 4.0f;
}

// Mean difference between column x and column x + 1 (wrapping), over all rows.
inline float columnStep(const Image& image, int x) {
    float sum = 0.0f;
    for (int y = 0; y < image.height(); ++y)
        sum += pixelDifference(image.at(x, y), image.get(x + 1, y, Edge::Wrap));
    return sum / static_cast<float>(image.height());
}

inline float rowStep(const Image& image, int y) {
    float sum = 0.0f;
    for (int x = 0; x < image.width(); ++x)
        sum += pixelDifference(image.at(x, y), image.get(x, y + 1, Edge::Wrap));
    return sum / static_cast<float>(image.width());
}

struct SeamReport {
    float seam;      // step across the border
    float interior;  // mean step between neighbours inside
};

inline SeamReport horizontalSeam(const Image& image) {
    float interior = 0.0f;
    for (int x = 0; x + 1 < image.width(); ++x) interior += columnStep(image, x);
    return {columnStep(image, image.width() - 1), interior / static_cast<float>(image.width() - 1)};
}

inline SeamReport verticalSeam(const Image& image) {
    float interior = 0.0f;
    for (int y = 0; y + 1 < image.height(); ++y) interior += rowStep(image, y);
    return {rowStep(image, image.height() - 1), interior / static_cast<float>(image.height() - 1)};
}

// A border continues when the step across it is no bigger than a typical
// step inside (with a little slack for the one column it is measured on).
inline bool continues(const SeamReport& r) {
    return r.seam <= 2.0f * r.interior + 0.004f;
}

}  // namespace vximg::test
