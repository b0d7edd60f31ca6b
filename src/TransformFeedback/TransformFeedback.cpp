#include "TransformFeedback/TransformFeedback.h"

#include "Shader/CheckPoint.h"
#include "Shader/HandleGuard.h"
#include "Shader/ShaderProgram.h"

namespace GLutil {

TransformFeedbackHandle::TransformFeedbackHandle() {
    glGenTransformFeedbacks(1, &id_);
    guardCreation(GLUTIL_SITE("GLutil::TransformFeedbackHandle::TransformFeedbackHandle"),
                  [this] { glDeleteTransformFeedbacks(1, &id_); });
}

TransformFeedbackHandle::~TransformFeedbackHandle() {
    guardRelease(GLUTIL_SITE("GLutil::TransformFeedbackHandle::~TransformFeedbackHandle"),
                 "TransformFeedbackHandle", [this] { glDeleteTransformFeedbacks(1, &id_); });
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
