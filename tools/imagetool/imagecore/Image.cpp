#include "imagecore/Image.h"

#include <glm/common.hpp>

#include <algorithm>
#include <cmath>

namespace vximg {

namespace {

std::vector<float> gaussianKernel(float sigma) {
    const int radius = std::max(1, static_cast<int>(std::ceil(sigma * 3.0f)));
    std::vector<float> kernel(static_cast<std::size_t>(2 * radius + 1));
    float sum = 0.0f;
    for (int i = -radius; i <= radius; ++i) {
        const float v = std::exp(-0.5f * static_cast<float>(i * i) / (sigma * sigma));
        kernel[static_cast<std::size_t>(i + radius)] = v;
        sum += v;
    }
    for (float& v : kernel) v /= sum;
    return kernel;
}

template <typename T>
void blurGrid(Grid<T>& grid, float sigma, Edge edge) {
    if (sigma <= 0.0f) return;
    const std::vector<float> kernel = gaussianKernel(sigma);
    const int radius = static_cast<int>(kernel.size() / 2);
    const int w = grid.width();
    const int h = grid.height();
    Grid<T> tmp(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            T acc{};
            for (int k = -radius; k <= radius; ++k)
                acc += grid.get(x + k, y, edge) * kernel[static_cast<std::size_t>(k + radius)];
            tmp.at(x, y) = acc;
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            T acc{};
            for (int k = -radius; k <= radius; ++k)
                acc += tmp.get(x, y + k, edge) * kernel[static_cast<std::size_t>(k + radius)];
            grid.at(x, y) = acc;
        }
}

}  // namespace

void blur(Image& image, float sigma, Edge edge) {
    blurGrid(image, sigma, edge);
}
void blur(Field& field, float sigma, Edge edge) {
    blurGrid(field, sigma, edge);
}

Image flippedVertically(const Image& image) {
    Image out(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) out.at(x, image.height() - 1 - y) = image.at(x, y);
    return out;
}

glm::vec2 valueRange(const Field& field) {
    const auto [lo, hi] = std::minmax_element(field.data().begin(), field.data().end());
    return {*lo, *hi};
}

void normalise(Field& field, float lo, float hi) {
    const glm::vec2 range = valueRange(field);
    const float span = range.y - range.x;
    for (float& v : field.data()) v = span > 0.0f ? lo + (v - range.x) / span * (hi - lo) : lo;
}

void blendOver(glm::vec4& dst, glm::vec3 color, float alpha) {
    alpha = glm::clamp(alpha, 0.0f, 1.0f);
    if (alpha <= 0.0f) return;
    const float outA = alpha + dst.a * (1.0f - alpha);
    const glm::vec3 rgb = (color * alpha + glm::vec3(dst) * dst.a * (1.0f - alpha)) / outA;
    dst = glm::vec4(rgb, outA);
}

void addLight(glm::vec4& dst, glm::vec3 light) {
    const glm::vec3 rgb = glm::vec3(dst) * dst.a + light;
    const float strength = glm::clamp(std::max({light.r, light.g, light.b}), 0.0f, 1.0f);
    const float outA = dst.a + strength * (1.0f - dst.a);
    dst = outA > 0.0f ? glm::vec4(rgb / outA, outA) : glm::vec4(0.0f);
}

void compositeOver(Image& dst, const Image& src) {
    if (dst.width() != src.width() || dst.height() != src.height())
        throw std::invalid_argument("compositeOver: images differ in size");
    for (std::size_t i = 0; i < dst.data().size(); ++i) {
        const glm::vec4 s = src.data()[i];
        blendOver(dst.data()[i], glm::vec3(s), s.a);
    }
}

}  // namespace vximg
