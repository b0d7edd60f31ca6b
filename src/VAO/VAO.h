#pragma once
// Vertex array objects. VAOHandle owns one vertex array name; VAO binds it. Make
// VAOs with std::make_shared, one per DrawableVAO.
#include <GL/glew.h>

namespace GLutil {

class VAOHandle {
public:
    VAOHandle();
    // Reports a graphics error on standard error instead of throwing.
    ~VAOHandle();
    VAOHandle(const VAOHandle&) = delete;
    VAOHandle& operator=(const VAOHandle&) = delete;

    GLuint id() const { return id_; }

private:
    GLuint id_ = 0;
};

class VAO {
public:
    VAO() = default;
    VAO(const VAO&) = delete;
    VAO& operator=(const VAO&) = delete;

    void bind() const;
    // Binds vertex array 0; touches no VAO.
    static void unbind();

    GLuint id() const { return handle_.id(); }

private:
    VAOHandle handle_;
};

}  // namespace GLutil
