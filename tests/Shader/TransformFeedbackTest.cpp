// Transform feedback: points captured from a vertex stage fed by an unsigned-integer
// attribute (as the fog's visibility pass does), with rasterisation discarded.
#include "GLFixture.h"

#include "Shader/CheckPoint.h"
#include "Shader/ShaderProgram.h"
#include "Shader/ShaderStore.h"
#include "TransformFeedback/TransformFeedback.h"
#include "VAO/VAO.h"
#include "VAO/VBO.h"

namespace {

using GLutilTest::Capture;

class TransformFeedback : public GLutilTest::GLFixture {};

TEST_F(TransformFeedback, CapturesOnePointPerVertex_FromUnsignedInputsAsFloats) {
    const std::string vert =
        write("capture.vert",
              "#version 400\nin float visibility;\nout float captured;\n"
              "void main() { captured = visibility * 2.0 + 1.0; gl_Position = vec4(0.0); }\n");
    Capture out(std::cout);
    GLutil::ShaderProgram program("CaptureShader");
    program.attatch(GLutil::ShaderStore::getShader(vert));
    program.bindAttributeLocation(2, "visibility");
    GLutil::TransformFeedback feedback;
    EXPECT_EQ(feedback.mode(), GLenum(GL_POINTS));
    GLutil::TransformFeedback::transformFeedbackVaryings(program, "captured");
    program.link();

    const std::vector<std::uint32_t> inputs{0, 1, 2, 3, 1000000};
    GLutil::VAO vao;
    vao.bind();
    const auto source = GLutil::VBO::connectToShader(2, inputs);
    GLutil::VAO::unbind();
    GLutil::VBO capture(GL_ARRAY_BUFFER);
    capture.initBuffer(GLsizeiptr(inputs.size() * sizeof(float)), nullptr, GL_DYNAMIC_COPY);
    capture.unbind();

    GLuint query = 0;
    glGenQueries(1, &query);
    glEnable(GL_RASTERIZER_DISCARD);
    program.use();
    vao.bind();
    feedback.bind();
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, capture.id());
    glBeginQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN, query);
    feedback.begin();
    glDrawArrays(GL_POINTS, 0, GLsizei(inputs.size()));
    feedback.end();
    glEndQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN);
    feedback.unbind();
    GLutil::VAO::unbind();
    GLutil::ShaderProgram::unuse();
    glDisable(GL_RASTERIZER_DISCARD);

    GLuint written = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &written);
    glDeleteQueries(1, &query);
    EXPECT_EQ(written, inputs.size());

    std::vector<float> captured(inputs.size());
    capture.bind();
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(captured.size() * sizeof(float)),
                       captured.data());
    capture.unbind();
    EXPECT_EQ(captured, (std::vector<float>{1.0f, 3.0f, 5.0f, 7.0f, 2000001.0f}));
    GLUTIL_CHECKPOINT("Test::capture");
}

TEST_F(TransformFeedback, BindAndUnbind_SwitchTheCurrentObject) {
    GLutil::TransformFeedback feedback;
    feedback.bind();
    GLint bound = 0;
    glGetIntegerv(GL_TRANSFORM_FEEDBACK_BINDING, &bound);
    EXPECT_EQ(GLuint(bound), feedback.id());
    feedback.unbind();
    glGetIntegerv(GL_TRANSFORM_FEEDBACK_BINDING, &bound);
    EXPECT_EQ(bound, 0);
}

}  // namespace
