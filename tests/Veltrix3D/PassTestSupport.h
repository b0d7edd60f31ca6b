#pragma once
// Small helpers of the post-processing tests: textures made from pixels, pixels read back
// from a texture, and the graphics state the game's render state would have pushed.
#include "Manager/InputManager/InputManager.h"
#include "Texture/TextureHandle.h"
#include "Veltrix3D/RenderState.h"

#include <GL/glew.h>

#include <functional>
#include <memory>
#include <vector>

namespace VX3DTest {

struct Rgba {
    unsigned char r, g, b, a;
};

// A width × height texture (GL_RGBA8, linear filters, clamped), each pixel from pick(x, y)
// with y counted from the bottom row; with mipmaps like the frame's targets.
inline std::shared_ptr<GLutil::TextureHandle> makeTexture(
    int width, int height, const std::function<Rgba(int x, int y)>& pick, bool mipmaps = false) {
    std::vector<unsigned char> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgba p = pick(x, y);
            pixels.insert(pixels.end(), {p.r, p.g, p.b, p.a});
        }
    auto texture = std::make_shared<GLutil::TextureHandle>();
    glBindTexture(GL_TEXTURE_2D, texture->id());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels.data());
    if (mipmaps) glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                    mipmaps ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

// Level 0 of a texture as RGBA bytes, bottom row first.
class Image {
public:
    Image(const std::shared_ptr<GLutil::TextureHandle>& texture, int width, int height)
        : width_(width), pixels_(static_cast<std::size_t>(width) * height * 4) {
        glBindTexture(GL_TEXTURE_2D, texture->id());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels_.data());
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    Image(std::vector<unsigned char> pixels, int width)
        : width_(width), pixels_(std::move(pixels)) {}

    int at(int x, int y, int channel = 0) const {
        return pixels_[(static_cast<std::size_t>(y) * width_ + x) * 4 + channel];
    }
    const std::vector<unsigned char>& pixels() const { return pixels_; }

private:
    int width_;
    std::vector<unsigned char> pixels_;
};

// The render state instance of the game: it pushes its cached states, so the graphics
// library agrees with the cache the passes switch through.
struct GameStates {
    VX3D::InputManager input{64, 64};
    VX3D::RenderState renderState{input};
};

}  // namespace VX3DTest
