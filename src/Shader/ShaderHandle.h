#pragma once
// Owners of one shader object name and one program object name. Each creates its
// object in the constructor and deletes it in the destructor; neither is copyable.
// writeInfoLog writes the driver's compile or link log, or "NO INFO AVAILABLE\n".
#include <GL/glew.h>

#include <iosfwd>

namespace GLutil {

class ShaderHandle {
public:
    explicit ShaderHandle(GLenum stage);
    ~ShaderHandle();
    ShaderHandle(const ShaderHandle&) = delete;
    ShaderHandle& operator=(const ShaderHandle&) = delete;

    GLuint id() const { return id_; }
    void writeInfoLog(std::ostream& out) const;

private:
    GLuint id_;
};

class ProgramHandle {
public:
    ProgramHandle();
    ~ProgramHandle();
    ProgramHandle(const ProgramHandle&) = delete;
    ProgramHandle& operator=(const ProgramHandle&) = delete;

    GLuint id() const { return id_; }
    void writeInfoLog(std::ostream& out) const;

private:
    GLuint id_;
};

}  // namespace GLutil
