#pragma once
// Buffer objects. VBOHandle owns one buffer name; VBO is a buffer with its binding
// target (GL_ARRAY_BUFFER for attributes, GL_ELEMENT_ARRAY_BUFFER for indices),
// always held by a shared pointer.
//
//   connectToShader(slot, values)  a new array buffer holding the values, attached to
//                                  the attribute slot of the vertex array the caller
//                                  has bound (float components, not normalised).
//   createIndexBuffer(indices)     a new element buffer holding the indices.
#include <GL/glew.h>
#include <glm/glm.hpp>

#include <cstdint>
#include <memory>
#include <vector>

namespace GLutil {

class VBOHandle {
public:
    VBOHandle();
    // Reports a graphics error on standard error instead of throwing.
    ~VBOHandle();
    VBOHandle(const VBOHandle&) = delete;
    VBOHandle& operator=(const VBOHandle&) = delete;

    GLuint id() const { return id_; }

private:
    GLuint id_ = 0;
};

class VBO {
public:
    explicit VBO(GLenum target);
    VBO(const VBO&) = delete;
    VBO& operator=(const VBO&) = delete;

    void bind() const;
    void unbind() const;
    // Binds the buffer and uploads size bytes with the usage; leaves it bound.
    void initBuffer(GLsizeiptr size, const void* data, GLenum usage);

    // 2- and 3-component positions, texture coordinates...: GL_STATIC_DRAW.
    static std::shared_ptr<VBO> connectToShader(GLuint slot, const std::vector<glm::vec2>& values);
    static std::shared_ptr<VBO> connectToShader(GLuint slot, const std::vector<glm::vec3>& values);
    // 4-component values with the caller's usage (GL_DYNAMIC_COPY for data rewritten often).
    static std::shared_ptr<VBO> connectToShader(GLuint slot, const std::vector<glm::vec4>& values,
                                                GLenum usage);
    // Unsigned integers read by the shader as one float each (the fog's visibility),
    // GL_DYNAMIC_COPY.
    static std::shared_ptr<VBO> connectToShader(GLuint slot,
                                                const std::vector<std::uint32_t>& values);

    // Element buffers, GL_STATIC_DRAW. Bind the vertex array that is to record them first.
    static std::shared_ptr<VBO> createIndexBuffer(const std::vector<std::uint8_t>& indices);
    static std::shared_ptr<VBO> createIndexBuffer(const std::vector<std::uint16_t>& indices);
    static std::shared_ptr<VBO> createIndexBuffer(const std::vector<std::uint32_t>& indices);

    GLuint id() const { return handle_.id(); }
    GLenum target() const { return target_; }

private:
    VBOHandle handle_;
    GLenum target_;
};

}  // namespace GLutil
