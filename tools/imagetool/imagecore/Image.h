// Float raster images for the procedural art: a colour image (straight, not
// premultiplied RGBA, nominally 0..1 per channel) and a scalar field (heights,
// masks, densities). Both are the same grid template so that blurring,
// sampling and wrapping behave identically for either.
#pragma once

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace vximg {

// How reads beyond the border behave: tileable textures wrap around, pictures clamp.
enum class Edge { Clamp, Wrap };

template <typename T>
class Grid {
public:
    Grid() = default;
    Grid(int width, int height, T fill = T{}) : w(width), h(height) {
        if (width <= 0 || height <= 0)
            throw std::invalid_argument("image size must be positive, got " +
                                        std::to_string(width) + " x " + std::to_string(height));
        cells.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
    }

    int width() const { return w; }
    int height() const { return h; }
    bool empty() const { return cells.empty(); }

    T& at(int x, int y) { return cells[index(x, y)]; }
    const T& at(int x, int y) const { return cells[index(x, y)]; }

    // Reads with the given border rule; never out of range.
    const T& get(int x, int y, Edge edge) const {
        if (edge == Edge::Wrap) return cells[index(wrapIndex(x, w), wrapIndex(y, h))];
        return cells[index(clampIndex(x, w), clampIndex(y, h))];
    }

    // Bilinear read at continuous pixel coordinates, where pixel (i, j) has its
    // centre at (i + 0.5, j + 0.5).
    T sample(glm::vec2 p, Edge edge) const {
        const float fx = p.x - 0.5f;
        const float fy = p.y - 0.5f;
        const int x0 = floorToInt(fx);
        const int y0 = floorToInt(fy);
        const float tx = fx - static_cast<float>(x0);
        const float ty = fy - static_cast<float>(y0);
        const T a = get(x0, y0, edge) * (1.0f - tx) + get(x0 + 1, y0, edge) * tx;
        const T b = get(x0, y0 + 1, edge) * (1.0f - tx) + get(x0 + 1, y0 + 1, edge) * tx;
        return a * (1.0f - ty) + b * ty;
    }

    std::vector<T>& data() { return cells; }
    const std::vector<T>& data() const { return cells; }

    bool operator==(const Grid& other) const = default;

    static int wrapIndex(int i, int n) { return ((i % n) + n) % n; }
    static int clampIndex(int i, int n) { return i < 0 ? 0 : (i >= n ? n - 1 : i); }

private:
    static int floorToInt(float v) {
        const int i = static_cast<int>(v);
        return (static_cast<float>(i) > v) ? i - 1 : i;
    }
    std::size_t index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
               static_cast<std::size_t>(x);
    }

    int w = 0;
    int h = 0;
    std::vector<T> cells;
};

using Image = Grid<glm::vec4>;
using Field = Grid<float>;

// Separable Gaussian blur; sigma in pixels (0 or less leaves the grid as it is).
void blur(Image& image, float sigma, Edge edge);
void blur(Field& field, float sigma, Edge edge);

// Rows in reverse order. Screens are stored bottom row first because the game
// draws them with the same full-window quad as its off-screen targets, whose
// texture row 0 is the bottom of the window.
Image flippedVertically(const Image& image);

// Lowest and highest value of a field; used to normalise heights into 0..1.
glm::vec2 valueRange(const Field& field);
// Rescales a field linearly so that its values span lo..hi.
void normalise(Field& field, float lo, float hi);

// Straight-alpha "over" of a colour with coverage alpha onto a pixel.
void blendOver(glm::vec4& dst, glm::vec3 color, float alpha);
// Additive light (glows, sparks); alpha of the pixel rises with the light.
void addLight(glm::vec4& dst, glm::vec3 light);
// Composites a whole image over another of the same size.
void compositeOver(Image& dst, const Image& src);

}  // namespace vximg
