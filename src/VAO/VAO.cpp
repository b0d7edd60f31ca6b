#include "VAO/VAO.h"

#include "Shader/CheckPoint.h"

#include <iostream>
#include <stdexcept>

namespace GLutil {

VAOHandle::VAOHandle() {
    glGenVertexArrays(1, &id_);
    try {
        GLUTIL_CHECKPOINT("GLutil::VAOHandle::VAOHandle");
    } catch (...) {
        // The destructor will not run for a half-built object.
        glDeleteVertexArrays(1, &id_);
        throw;
    }
}

VAOHandle::~VAOHandle() {
    try {
        glDeleteVertexArrays(1, &id_);
        GLUTIL_CHECKPOINT("GLutil::VAOHandle::~VAOHandle");
    } catch (const std::logic_error& e) {
        std::cerr << "Caught exception in VAOHandle Destructor: " << e.what() << "\n";
    }
}

void VAO::bind() const {
    glBindVertexArray(handle_.id());
    GLUTIL_CHECKPOINT("GLutil::VAO::bind");
}

void VAO::unbind() {
    glBindVertexArray(0);
    GLUTIL_CHECKPOINT("GLutil::VAO::unbind");
}

}  // namespace GLutil
