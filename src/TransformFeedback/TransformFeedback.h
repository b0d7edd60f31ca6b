#pragma once
// Transform feedback objects capturing points (the fog's particle updates).
//
// Per pass: declare the captured output with transformFeedbackVaryings before the
// program is linked; then bind(), bind the capture buffer to
// GL_TRANSFORM_FEEDBACK_BUFFER index 0, begin(), draw points, end(), unbind().
#include <GL/glew.h>

#include <string>

namespace GLutil {

class ShaderProgram;

class TransformFeedbackHandle {
public:
    TransformFeedbackHandle();
    // Reports a graphics error on standard error instead of throwing.
    ~TransformFeedbackHandle();
    TransformFeedbackHandle(const TransformFeedbackHandle&) = delete;
    TransformFeedbackHandle& operator=(const TransformFeedbackHandle&) = delete;

    GLuint id() const { return id_; }

private:
    GLuint id_ = 0;
};

class TransformFeedback {
public:
    TransformFeedback();
    TransformFeedback(const TransformFeedback&) = delete;
    TransformFeedback& operator=(const TransformFeedback&) = delete;

    void bind() const;
    void unbind() const;
    void begin() const;
    void end() const;
    // Declares the one output to capture (separate attributes); call before linking.
    static void transformFeedbackVaryings(ShaderProgram& program, const std::string& varying);

    GLuint id() const { return handle_.id(); }
    GLenum mode() const { return mode_; }

private:
    TransformFeedbackHandle handle_;
    GLenum mode_;
};

}  // namespace GLutil
