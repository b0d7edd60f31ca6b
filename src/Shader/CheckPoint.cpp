#include "Shader/CheckPoint.h"

#include <sstream>
#include <stdexcept>
#include <string_view>

namespace GLutil {

std::string locationText(const char* file, const char* function, int line) {
    std::string_view shown(file);
    // __FILE__ is absolute in our build; the tree-relative part is what a reader needs.
    if (const auto pos = shown.rfind("/src/"); pos != std::string_view::npos) {
        shown.remove_prefix(pos + 1);
    }
    return "File " + std::string(shown) + " in Function " + function + " at Line " +
           std::to_string(line);
}

std::string errorName(GLenum error) {
    switch (error) {
        case GL_INVALID_ENUM:
            return "GL_INVALID_ENUM";
        case GL_INVALID_VALUE:
            return "GL_INVALID_VALUE";
        case GL_INVALID_OPERATION:
            return "GL_INVALID_OPERATION";
        case GL_INVALID_FRAMEBUFFER_OPERATION:
            return "GL_INVALID_FRAMEBUFFER_OPERATION";
        case GL_OUT_OF_MEMORY:
            return "GL_OUT_OF_MEMORY";
        case GL_STACK_UNDERFLOW:
            return "GL_STACK_UNDERFLOW";
        case GL_STACK_OVERFLOW:
            return "GL_STACK_OVERFLOW";
        default: {
            std::ostringstream out;
            out << "0x" << std::hex << error;
            return out.str();
        }
    }
}

void checkpoint(const char* file, const char* function, int line) {
    GLenum error = glGetError();
    if (error == GL_NO_ERROR) {
        return;
    }
    // Several flags can be pending at once; drain them all so the next checkpoint
    // reports only what happened after this one. The bound guards against a lost
    // context, where some drivers return GL_CONTEXT_LOST for ever.
    std::string names;
    for (int i = 0; i < 16 && error != GL_NO_ERROR; ++i) {
        if (!names.empty()) {
            names += ", ";
        }
        names += errorName(error);
        error = glGetError();
    }
    throw std::logic_error(locationText(file, function, line) + " (" + names + ")");
}

}  // namespace GLutil
