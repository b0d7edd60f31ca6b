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
//   program->use();
//   glUniform1i(program->uniformLocation("textureMap"), 0);
//   program->unuse();
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

    const std::string& name() const { return name_; }
    GLuint id() const { return handle_.id(); }
    const std::vector<std::shared_ptr<Shader>>& shaders() const { return shaders_; }

private:
    std::string name_;
    std::vector<std::shared_ptr<Shader>> shaders_;
    ProgramHandle handle_;
};

}  // namespace GLutil
