#include "Texture/Texture.h"

#include "Shader/CheckPoint.h"
#include "Texture/PngImage.h"
#include "Veltrix3D/RenderState.h"

#include <algorithm>
#include <iostream>
#include <stdexcept>
#include <utility>

namespace GLutil {

Texture::Texture(const std::string& path, GLint unit, Pixels keep)
    : path_(path), unit_(unit), handle_(std::make_shared<TextureHandle>()) {
    PngImage image = readPng(path_);
    width_ = image.width;
    height_ = image.height;
    pixels_ = std::make_shared<const std::vector<unsigned char>>(std::move(image.pixels));
    const std::vector<unsigned char>& pixels = *pixels_;
    if (pixels.size() > 4) {
        std::cout << "Image Information " << path_ << ": width: " << width_
                  << " height: " << height_ << " first pixel: " << std::hex << unsigned(pixels[0])
                  << unsigned(pixels[1]) << unsigned(pixels[2]) << unsigned(pixels[3]) << std::dec
                  << "\n";
    }
    generateTexture(pixels);
    loaded_ = true;
    if (keep == Pixels::dropped) pixels_.reset();
}

const std::vector<unsigned char>& Texture::noPixels() {
    static const std::vector<unsigned char> none;
    return none;
}

void Texture::generateTexture(const std::vector<unsigned char>& pixels) {
    if (pixels.size() < std::size_t(width_) * height_ * 4) {
        throw std::logic_error("generateTexture of " + path_ + ": fewer pixels than " +
                               std::to_string(width_) + " x " + std::to_string(height_));
    }
    if (!handle_) {
        handle_ = std::make_shared<TextureHandle>();
    }
    const auto minFilter = static_cast<GLint>(VX3D::RenderState::minFilter);
    const auto magFilter = static_cast<GLint>(VX3D::RenderState::magFilter);
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit_));
    glBindTexture(GL_TEXTURE_2D, handle_->id());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, static_cast<GLsizei>(width_),
                 static_cast<GLsizei>(height_), 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    glGenerateMipmap(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit_));
    glBindTexture(GL_TEXTURE_2D, 0);
    GLUTIL_CHECKPOINT("GLutil::Texture::generateTexture");
}

void Texture::bind() const {
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit_));
    glBindTexture(GL_TEXTURE_2D, id());
    if (handle_) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER,
                        static_cast<GLint>(VX3D::RenderState::magFilter));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                        static_cast<GLint>(VX3D::RenderState::minFilter));
    }
    GLUTIL_CHECKPOINT("GLutil::Texture::bind");
}

PngImage readFramePixels(int width, int height, bool opaque) {
    PngImage image;
    image.width = static_cast<std::uint32_t>(width);
    image.height = static_cast<std::uint32_t>(height);
    const std::size_t row = std::size_t{image.width} * 4;
    std::vector<unsigned char> raw(row * image.height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());
    image.pixels.resize(raw.size());
    for (std::size_t y = 0; y < image.height; ++y)
        std::copy_n(&raw[(image.height - 1 - y) * row], row, &image.pixels[y * row]);
    if (opaque)
        for (std::size_t i = 3; i < image.pixels.size(); i += 4) image.pixels[i] = 255;
    return image;
}

}  // namespace GLutil
