#include "VAO/VAO.h"

#include "Shader/CheckPoint.h"
#include "Shader/HandleGuard.h"

namespace GLutil {

VAOHandle::VAOHandle() {
    glGenVertexArrays(1, &id_);
    guardCreation(GLUTIL_SITE("GLutil::VAOHandle::VAOHandle"),
                  [this] { glDeleteVertexArrays(1, &id_); });
}

VAOHandle::~VAOHandle() {
    guardRelease(GLUTIL_SITE("GLutil::VAOHandle::~VAOHandle"), "VAOHandle",
                 [this] { glDeleteVertexArrays(1, &id_); });
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
