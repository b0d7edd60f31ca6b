#pragma once
// Owner of one texture object name, shared by GLutil::Texture and the colour and
// depth textures of GLutil::FBO.
#include <GL/glew.h>

namespace GLutil {

class TextureHandle {
public:
    TextureHandle();
    // Reports a graphics error on standard error instead of throwing.
    ~TextureHandle();
    TextureHandle(const TextureHandle&) = delete;
    TextureHandle& operator=(const TextureHandle&) = delete;

    GLuint id() const { return id_; }

private:
    GLuint id_ = 0;
};

}  // namespace GLutil
