#include "Shader/ShaderHandle.h"

#include "Shader/HandleGuard.h"

#include <ostream>
#include <vector>

namespace GLutil {

namespace {

// Shader and program objects keep their logs alike; only the two query functions differ.
void writeLog(std::ostream& out, GLuint id, PFNGLGETSHADERIVPROC getParameter,
              PFNGLGETSHADERINFOLOGPROC getLog) {
    GLint length = 0;
    getParameter(id, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0) {
        out << "NO INFO AVAILABLE\n";
        return;
    }
    std::vector<GLchar> buffer(static_cast<std::size_t>(length));
    getLog(id, length, nullptr, buffer.data());
    buffer.back() = '\0';
    out << buffer.data() << "\n";
}

}  // namespace

ShaderHandle::ShaderHandle(GLenum stage) : id_(glCreateShader(stage)) {
    guardCreation(GLUTIL_SITE("GLutil::ShaderHandle::ShaderHandle"),
                  [this] { glDeleteShader(id_); });
}

ShaderHandle::~ShaderHandle() {
    guardRelease(GLUTIL_SITE("GLutil::ShaderHandle::~ShaderHandle"), "ShaderHandle",
                 [this] { glDeleteShader(id_); });
}

void ShaderHandle::writeInfoLog(std::ostream& out) const {
    writeLog(out, id_, glGetShaderiv, glGetShaderInfoLog);
}

ProgramHandle::ProgramHandle() : id_(glCreateProgram()) {
    guardCreation(GLUTIL_SITE("GLutil::ProgramHandle::ProgramHandle"),
                  [this] { glDeleteProgram(id_); });
}

ProgramHandle::~ProgramHandle() {
    guardRelease(GLUTIL_SITE("GLutil::ProgramHandle::~ProgramHandle"), "ProgramHandle",
                 [this] { glDeleteProgram(id_); });
}

void ProgramHandle::writeInfoLog(std::ostream& out) const {
    writeLog(out, id_, glGetProgramiv, glGetProgramInfoLog);
}

}  // namespace GLutil
