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
//   Residency::whenShown keeps the file's bytes instead of a texture object (see the enum);
//   makeResident() and release() move it between the two.
// A default-constructed Texture is empty: loaded() is false and bind() binds texture 0.
// Copies share one texture object and one copy of the pixels.
#include "Texture/PngImage.h"
#include "Texture/TextureHandle.h"

#include <GL/glew.h>

#include <array>
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
    // Whether the texture object exists from construction on. A full-window picture that is
    // on the screen only now and then (the loading screen, the end splashes) is whenShown: it
    // holds its compressed file, a fifth of the texture's size, and is decoded and uploaded by
    // makeResident() when it is drawn. The constructor still decodes it once, so a broken file
    // is refused at start-up and its "Image Information" line comes where it always did.
    enum class Residency { always, whenShown };

    Texture() = default;
    Texture(const std::string& path, GLint unit, Pixels pixels = Pixels::dropped,
            Residency residency = Residency::always);

    // For a whenShown texture: uploads it again (quietly) if it was released or never
    // uploaded. No effect on one that is resident.
    void makeResident();
    // For a whenShown texture: frees the texture object until the next makeResident(). An
    // always-resident texture has no bytes to come back from and is left as it is.
    void release();
    bool resident() const { return handle_ != nullptr; }

    // A cube map on the unit: six square faces of side × side RGBA pixels in OpenGL's order
    // (+X, −X, +Y, −Y, +Z, −Z), each face's rows in upload order (t = 0 first). It has its
    // full-size level only and clamps at the face edges. The path is only its name.
    static Texture cubeMap(const std::string& path, GLint unit, std::uint32_t side,
                           const std::array<std::vector<unsigned char>, 6>& faces);

    void bind() const;
    // Uploads the pixels (width × height RGBA bytes) into the texture with mipmaps.
    void generateTexture(const std::vector<unsigned char>& pixels);

    const std::string& path() const { return path_; }
    GLint unit() const { return unit_; }
    // GL_TEXTURE_2D, or GL_TEXTURE_CUBE_MAP for a cubeMap().
    GLenum target() const { return target_; }
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
    GLenum target_ = GL_TEXTURE_2D;
    std::shared_ptr<TextureHandle> handle_;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    bool loaded_ = false;
    // Shared, not copied: the model loader's texture cache hands out a Texture per hit, and one
    // ant model's skin alone is megabytes.
    std::shared_ptr<const std::vector<unsigned char>> pixels_;
    // The PNG file of a whenShown texture, shared by copies like the pixels.
    std::shared_ptr<const std::vector<unsigned char>> file_;

    static const std::vector<unsigned char>& noPixels();
};

// Prints the "Image Information" line a texture prints when it loads a file: path, size and
// the first pixel's four bytes in bare hex. Nothing for an image of one pixel or none.
void printImageInformation(const std::string& path, const PngImage& image);

// The bound read buffer's width × height pixels, turned top row first (OpenGL gives the bottom
// row first), ready for writePng. With opaque set every alpha byte is 255 (the window has no
// transparency to keep).
PngImage readFramePixels(int width, int height, bool opaque);

}  // namespace GLutil
