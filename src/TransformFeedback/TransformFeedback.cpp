#include "TransformFeedback/TransformFeedback.h"

#include "Shader/CheckPoint.h"
#include "Shader/ShaderProgram.h"

#include <iostream>
#include <stdexcept>

namespace GLutil {

TransformFeedbackHandle::TransformFeedbackHandle() {
    glGenTransformFeedbacks(1, &id_);
    try {
        GLUTIL_CHECKPOINT("GLutil::TransformFeedbackHandle::TransformFeedbackHandle");
    } catch (...) {
        glDeleteTransformFeedbacks(1, &id_);
        throw;
    }
}

TransformFeedbackHandle::~TransformFeedbackHandle() {
    try {
        glDeleteTransformFeedbacks(1, &id_);
        GLUTIL_CHECKPOINT("GLutil::TransformFeedbackHandle::~TransformFeedbackHandle");
    } catch (const std::logic_error& e) {
        std::cerr << "Caught exception in TransformFeedbackHandle Destructor: " << e.what() << "\n";
    }
}

TransformFeedback::TransformFeedback() : mode_(GL_POINTS) {
    GLUTIL_CHECKPOINT("GLutil::TransformFeedback::TransformFeedback");
}

void TransformFeedback::bind() const {
    glBindTransformFeedback(GL_TRANSFORM_FEEDBACK, handle_.id());
    GLUTIL_CHECKPOINT("GLutil::TransformFeedback::bind");
}

void TransformFeedback::unbind() const {
    glBindTransformFeedback(GL_TRANSFORM_FEEDBACK, 0);
    GLUTIL_CHECKPOINT("GLutil::TransformFeedback::unbind");
}

void TransformFeedback::begin() const {
    glBeginTransformFeedback(mode_);
    GLUTIL_CHECKPOINT("GLutil::TransformFeedback::begin");
}

void TransformFeedback::end() const {
    glEndTransformFeedback();
    GLUTIL_CHECKPOINT("GLutil::TransformFeedback::end");
}

void TransformFeedback::transformFeedbackVaryings(ShaderProgram& program,
                                                  const std::string& varying) {
    const GLchar* names[] = {varying.c_str()};
    glTransformFeedbackVaryings(program.id(), 1, names, GL_SEPARATE_ATTRIBS);
    GLUTIL_CHECKPOINT("GLutil::TransformFeedback::transformFeedbackVaryings");
}

}  // namespace GLutil
