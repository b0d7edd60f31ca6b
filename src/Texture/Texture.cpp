#include "Texture/Texture.h"

#include "Shader/CheckPoint.h"
#include "Texture/PngImage.h"
#include "Veltrix3D/RenderState.h"

#include <algorithm>
#include <iostream>
#include <stdexcept>
#include <utility>

namespace GLutil {

Texture::Texture(const std::string& path, GLint unit, Pixels keep, Residency residency)
    : path_(path), unit_(unit) {
    PngImage image;
    if (residency == Residency::whenShown) {
        auto file = std::make_shared<std::vector<unsigned char>>();
        image = readPng(path_, *file);
        file_ = std::move(file);
    } else {
        image = readPng(path_);
    }
    width_ = image.width;
    height_ = image.height;
    printImageInformation(path_, image);
    pixels_ = std::make_shared<const std::vector<unsigned char>>(std::move(image.pixels));
    const std::vector<unsigned char>& pixels = *pixels_;
    if (residency == Residency::always) generateTexture(pixels);
    loaded_ = true;
    if (keep == Pixels::dropped) pixels_.reset();
}

void printImageInformation(const std::string& path, const PngImage& image) {
    const std::vector<unsigned char>& pixels = image.pixels;
    if (pixels.size() <= 4) return;
    std::cout << "Image Information " << path << ": width: " << image.width
              << " height: " << image.height << " first pixel: " << std::hex << unsigned(pixels[0])
              << unsigned(pixels[1]) << unsigned(pixels[2]) << unsigned(pixels[3]) << std::dec
              << "\n";
}

Texture Texture::cubeMap(const std::string& path, GLint unit, std::uint32_t side,
                         const std::array<std::vector<unsigned char>, 6>& faces) {
    Texture texture;
    texture.path_ = path;
    texture.unit_ = unit;
    texture.target_ = GL_TEXTURE_CUBE_MAP;
    texture.width_ = side;
    texture.height_ = side;
    texture.handle_ = std::make_shared<TextureHandle>();
    for (const auto& face : faces)
        if (face.size() < std::size_t(side) * side * 4)
            throw std::logic_error("cubeMap of " + path + ": a face with fewer pixels than " +
                                   std::to_string(side) + " x " + std::to_string(side));
    const auto minFilter = static_cast<GLint>(VX3D::RenderState::minFilter);
    const auto magFilter = static_cast<GLint>(VX3D::RenderState::magFilter);
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    glBindTexture(GL_TEXTURE_CUBE_MAP, texture.handle_->id());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (GLenum f = 0; f < 6; ++f)
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + f, 0, GL_RGBA, static_cast<GLsizei>(side),
                     static_cast<GLsizei>(side), 0, GL_RGBA, GL_UNSIGNED_BYTE, faces[f].data());
    // One level: complete under every minification filter the debug keys choose.
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAX_LEVEL, 0);
    for (GLenum wrap : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T, GL_TEXTURE_WRAP_R})
        glTexParameteri(GL_TEXTURE_CUBE_MAP, wrap, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, magFilter);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, minFilter);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    texture.loaded_ = true;
    GLUTIL_CHECKPOINT("GLutil::Texture::cubeMap");
    return texture;
}

void Texture::makeResident() {
    if (handle_ || !file_) return;
    // The same bytes decoded at construction: they cannot fail now.
    const PngImage image = decodePng(file_->data(), file_->size(), path_);
    generateTexture(image.pixels);
}

void Texture::release() {
    if (file_) handle_.reset();
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
    glBindTexture(target_, id());
    if (handle_) {
        glTexParameteri(target_, GL_TEXTURE_MAG_FILTER,
                        static_cast<GLint>(VX3D::RenderState::magFilter));
        glTexParameteri(target_, GL_TEXTURE_MIN_FILTER,
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
