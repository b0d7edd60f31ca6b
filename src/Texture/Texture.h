#pragma once
// A PNG image from the resource tree as a mipmapped 2D RGBA texture on a fixed
// texture unit (GL_TEXTURE0 + unit).
//
//   Texture(path, unit)  reads and decodes the file (readPng), prints its "Image Information"
//                        line, uploads it. The decoded pixels are dropped after the upload
//                        unless Pixels::kept asks to keep them for reading (pixels()). A missing,
//                        unreadable or corrupt file throws std::logic_error "decoding png <path>
//                        gave error: <code>" followed by the decoder's reason in parentheses; an
//                        image too large for a texture throws the same error with the size instead.
//   bind()               activates the unit, binds the texture and applies the current
//                        RenderState::minFilter and magFilter, so a switched filter
//                        shows at the next draw. After drawing, the caller activates
//                        the unit again and binds texture 0.
// A default-constructed Texture is empty: loaded() is false and bind() binds texture 0.
// Copies share one texture object and one copy of the pixels.
#include "Texture/PngImage.h"
#include "Texture/TextureHandle.h"

#include <GL/glew.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace GLutil {

class Texture {
public:
    // Whether the decoded pixels stay in memory after the upload. Only a texture that is also
    // read on the processor (a displacement map that gives the ground its heights) keeps
    // them: the game's images decoded would otherwise hold tens of megabytes nothing reads.
    enum class Pixels { dropped, kept };

    Texture() = default;
    Texture(const std::string& path, GLint unit, Pixels pixels = Pixels::dropped);

    void bind() const;
    // Uploads the pixels (width × height RGBA bytes) into the texture with mipmaps.
    void generateTexture(const std::vector<unsigned char>& pixels);

    const std::string& path() const { return path_; }
    GLint unit() const { return unit_; }
    const std::shared_ptr<TextureHandle>& handle() const { return handle_; }
    GLuint id() const { return handle_ ? handle_->id() : 0; }
    std::uint32_t width() const { return width_; }
    std::uint32_t height() const { return height_; }
    bool loaded() const { return loaded_; }
    // Rows as the file stores them, top row first; four bytes R, G, B, A per pixel. Empty
    // unless the texture was loaded with Pixels::kept.
    const std::vector<unsigned char>& pixels() const { return pixels_ ? *pixels_ : noPixels(); }

private:
    std::string path_;
    GLint unit_ = 0;
    std::shared_ptr<TextureHandle> handle_;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    bool loaded_ = false;
    // Shared, not copied: the model loader's texture cache hands out a Texture per hit, and one
    // ant model's skin alone is megabytes.
    std::shared_ptr<const std::vector<unsigned char>> pixels_;

    static const std::vector<unsigned char>& noPixels();
};

// The bound read buffer's width × height pixels, turned top row first (OpenGL gives the bottom
// row first), ready for writePng. With opaque set every alpha byte is 255 (the window has no
// transparency to keep).
PngImage readFramePixels(int width, int height, bool opaque);

}  // namespace GLutil
