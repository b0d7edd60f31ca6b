#include "Shader/ShaderHandle.h"

#include "Shader/CheckPoint.h"

#include <iostream>
#include <stdexcept>

namespace GLutil {

ShaderHandle::ShaderHandle(GLenum stage) : id_(glCreateShader(stage)) {
    try {
        GLUTIL_CHECKPOINT("GLutil::ShaderHandle::ShaderHandle");
    } catch (...) {
        // The destructor will not run for a half-built object.
        glDeleteShader(id_);
        throw;
    }
}

ShaderHandle::~ShaderHandle() {
    try {
        glDeleteShader(id_);
        GLUTIL_CHECKPOINT("GLutil::ShaderHandle::~ShaderHandle");
    } catch (const std::logic_error& e) {
        std::cerr << "Caught exception in ShaderHandle Destructor: " << e.what() << "\n";
    }
}

ProgramHandle::ProgramHandle() : id_(glCreateProgram()) {
    try {
        GLUTIL_CHECKPOINT("GLutil::ProgramHandle::ProgramHandle");
    } catch (...) {
        glDeleteProgram(id_);
        throw;
    }
}

ProgramHandle::~ProgramHandle() {
    try {
        glDeleteProgram(id_);
        GLUTIL_CHECKPOINT("GLutil::ProgramHandle::~ProgramHandle");
    } catch (const std::logic_error& e) {
        std::cerr << "Caught exception in ProgramHandle Destructor: " << e.what() << "\n";
    }
}

}  // namespace GLutil
