#pragma once
// Frame buffer objects for off-screen passes, with their render buffers and their
// colour or depth textures.
//
// The caller binds the frame buffer for drawing (glBindFramebuffer with id()), sets
// its draw buffers and viewport, and calls checkStatus(); finish() ends the pass.
//
//   attatchDepthBuffer()   a GL_DEPTH_COMPONENT render buffer of the FBO's size,
//                          replacing an earlier one.
//   attatchTexture(internalFormat, format, attachment)
//                          a new width × height texture at the attachment point,
//                          e.g. (GL_RGBA8, GL_RGBA, GL_COLOR_ATTACHMENT0) or
//                          (GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, GL_DEPTH_ATTACHMENT).
//                          Clamped to the edge; magnified with RenderState::magFilter,
//                          minified with RenderState::minFilter when the FBO makes
//                          mipmaps, else GL_LINEAR; set up for depth comparison.
//   getTexture(i)          the i-th attached texture (std::out_of_range past the end).
//   checkStatus()          throws std::logic_error named after the incompleteness
//                          status of the bound frame buffer, e.g.
//                          "GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT".
//   finish(resetBuffers)   unbinds; with resetBuffers sets draw and read buffer back
//                          to GL_BACK; regenerates the textures' mipmaps if the FBO
//                          makes them.
#include "Texture/TextureHandle.h"

#include <GL/glew.h>

#include <cstddef>
#include <memory>
#include <vector>

namespace GLutil {

class FBOHandle {
public:
    FBOHandle();
    // Reports a graphics error on standard error instead of throwing.
    ~FBOHandle();
    FBOHandle(const FBOHandle&) = delete;
    FBOHandle& operator=(const FBOHandle&) = delete;

    GLuint id() const { return id_; }

private:
    GLuint id_ = 0;
};

class RBHandle {
public:
    RBHandle();
    // Reports a graphics error on standard error instead of throwing.
    ~RBHandle();
    RBHandle(const RBHandle&) = delete;
    RBHandle& operator=(const RBHandle&) = delete;

    GLuint id() const { return id_; }

private:
    GLuint id_ = 0;
};

class FBO {
public:
    FBO(GLint width, GLint height, bool mipmaps);
    FBO(const FBO&) = delete;
    FBO& operator=(const FBO&) = delete;

    void attatchDepthBuffer();
    void attatchTexture(GLint internalFormat, GLenum format, GLenum attachment);
    const std::shared_ptr<TextureHandle>& getTexture(std::size_t index) const;

    // Binds frame buffer 0, texture 0 and render buffer 0; touches no FBO.
    static void unbind();
    void finish(bool resetBuffers);
    static void checkStatus();

    GLuint id() const { return handle_.id(); }
    GLint width() const { return width_; }
    GLint height() const { return height_; }
    bool mipmaps() const { return mipmaps_; }
    const std::shared_ptr<RBHandle>& depth() const { return depth_; }
    const std::vector<std::shared_ptr<TextureHandle>>& textures() const { return textures_; }

private:
    FBOHandle handle_;
    std::shared_ptr<RBHandle> depth_;
    std::vector<std::shared_ptr<TextureHandle>> textures_;
    GLint width_;
    GLint height_;
    bool mipmaps_;
};

}  // namespace GLutil
