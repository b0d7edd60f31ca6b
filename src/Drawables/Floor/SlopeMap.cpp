#include "Drawables/Floor/SlopeMap.h"

#include "Shader/CheckPoint.h"

#include <GL/glew.h>

#include <algorithm>

namespace VX3D {

SlopeTexels slopeTexels(const std::vector<float>& heights, int width, int height, int radius,
                        bool repeatV) {
    const auto at = [&](const std::vector<float>& h, int x, int y) {
        x = ((x % width) + width) % width;
        y = repeatV ? ((y % height) + height) % height : std::clamp(y, 0, height - 1);
        return h[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                 static_cast<std::size_t>(x)];
    };
    // Box smoothing, one direction at a time.
    std::vector<float> rows(heights.size()), smooth(heights.size());
    const float side = static_cast<float>(2 * radius + 1);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float sum = 0.0f;
            for (int d = -radius; d <= radius; ++d) sum += at(heights, x + d, y);
            rows[static_cast<std::size_t>(y * width + x)] = sum / side;
        }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float sum = 0.0f;
            for (int d = -radius; d <= radius; ++d) sum += at(rows, x, y + d);
            smooth[static_cast<std::size_t>(y * width + x)] = sum / side;
        }
    SlopeTexels out{width, height, std::vector<float>(heights.size() * 4)};
    const float perU = static_cast<float>(width) / static_cast<float>(2 * radius);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            // At a stopping edge the difference is one-sided and spans fewer texels.
            const int up = repeatV ? y - radius : std::max(y - radius, 0);
            const int down = repeatV ? y + radius : std::min(y + radius, height - 1);
            const float perV =
                static_cast<float>(height) / static_cast<float>(std::max(down - up, 1));
            float* texel = &out.rgba[static_cast<std::size_t>(y * width + x) * 4];
            texel[0] = (at(smooth, x + radius, y) - at(smooth, x - radius, y)) * perU;
            texel[1] = (at(smooth, x, down) - at(smooth, x, up)) * perV;
            texel[2] = at(smooth, x, y);
            texel[3] = 1.0f;
        }
    return out;
}

std::shared_ptr<GLutil::TextureHandle> uploadSlopeMap(const SlopeTexels& texels, bool repeatV) {
    auto map = std::make_shared<GLutil::TextureHandle>();
    glBindTexture(GL_TEXTURE_2D, map->id());
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16F, texels.width, texels.height, 0, GL_RGBA, GL_FLOAT,
                 texels.rgba.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, repeatV ? GL_REPEAT : GL_CLAMP_TO_EDGE);
    glGenerateMipmap(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    GLUTIL_CHECKPOINT("VX3D::uploadSlopeMap");
    return map;
}

void bindSlopeMap(const GLutil::TextureHandle& map, int unit) {
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    glBindTexture(GL_TEXTURE_2D, map.id());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

}  // namespace VX3D
