#pragma once
// A named, linked shader program. Every live program is in the program registry
// (see ProgramRegistry.h), so the reload key can rebuild them all from their files.
//
// Typical set-up:
//   auto program = std::make_shared<GLutil::ShaderProgram>("FloorShader");
//   program->attatch(GLutil::ShaderStore::getShader("Shader/floor.vert"));
//   program->attatch(GLutil::ShaderStore::getShader("Shader/floor.frag"));
//   program->bindAttributeLocation(0, "vVertex");
//   program->link();
//   program->validate();
//   program->setConstant("textureMap", 0);
//   program->unuse();
//
// Uniforms that stay fixed for the program's life (sampler units above all) go through
// setConstant: a relink resets every uniform to 0, so link() sets the recorded constants
// again after the reload key has rebuilt the program. Without that a sampler2DShadow
// and a sampler2D would both fall back to unit 0: most drivers then refuse every draw
// (GL_INVALID_OPERATION); Mesa draws, but reads the shadow from the colour texture.
//
// link, validate and uniformLocation throw std::logic_error: the program's info-log
// text, or "Shader Uniform <name> is UNKNOWN" for a name the linker does not know
// (also one it removed because nothing used it).
#include "Shader/Shader.h"
#include "Shader/ShaderHandle.h"

#include <GL/glew.h>

#include <iosfwd>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace GLutil {

class ShaderProgram {
public:
    // Prints the "INIT SHADER PROG <name>" banner and enters the registry.
    explicit ShaderProgram(const std::string& name);
    // Leaves the registry and prints the "DELETE SHADER PROG <name>" banner.
    ~ShaderProgram();
    ShaderProgram(const ShaderProgram&) = delete;
    ShaderProgram& operator=(const ShaderProgram&) = delete;

    // A program of the named files (shared through the shader store) with the attribute
    // slots bound, linked: the common start of every drawable's set-up. Uniforms and
    // validation follow at the caller (varyings to capture must precede the link, so a
    // transform-feedback program is put together step by step instead).
    static std::shared_ptr<ShaderProgram> build(
        const std::string& name, const std::vector<std::string>& files,
        const std::vector<std::pair<GLuint, std::string>>& attributes);

    void attatch(const std::shared_ptr<Shader>& shader);
    void bindAttributeLocation(GLuint slot, const std::string& attribute);
    void link();
    void validate();
    void use();
    // Makes no program current; touches no program, so it may be called on the class.
    static void unuse();
    // "Info Log of <name>\n" and the link log, or "NO INFO AVAILABLE\n".
    void printInfoLog(std::ostream& out) const;
    GLint uniformLocation(const std::string& uniform) const;
    // Makes the program current (it stays current), sets the integer uniform and records
    // it, replacing an earlier value of the same name, so that every later successful link
    // sets it again. Throws like uniformLocation for an unknown name.
    void setConstant(const std::string& uniform, GLint value);
    const std::vector<std::pair<std::string, GLint>>& constants() const { return constants_; }

    const std::string& name() const { return name_; }
    GLuint id() const { return handle_.id(); }
    const std::vector<std::shared_ptr<Shader>>& shaders() const { return shaders_; }

private:
    // Raises std::logic_error with the program's log when the link or validate status is false.
    void requireStatus(GLenum status) const;
    void restoreConstants();
    std::string name_;
    std::vector<std::shared_ptr<Shader>> shaders_;
    ProgramHandle handle_;
    std::vector<std::pair<std::string, GLint>> constants_;
};

}  // namespace GLutil
