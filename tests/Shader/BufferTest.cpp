// Buffers and vertex arrays: the element-count rule of DrawableVAO, replacing a slot,
// index types, what draw and drawTriangles hand to the pipeline (counted with a
// primitives query), and the vertex-array-debug switch.
#include "GLFixture.h"

#include "Shader/ShaderProgram.h"
#include "Shader/ShaderStore.h"
#include "VAO/DrawableVAO.h"
#include "VAO/VBO.h"
#include "Veltrix3D/RenderState.h"

#include <functional>
#include <stdexcept>

namespace {

using GLutilTest::Capture;

class DrawableVAO : public GLutilTest::GLFixture {
protected:
    void SetUp() override {
        GLFixture::SetUp();
        const std::string vert = write("count.vert",
                                       "#version 400\nin vec3 vVertex;\n"
                                       "void main() { gl_Position = vec4(vVertex, 1.0); }\n");
        const std::string frag =
            write("count.frag", "#version 400\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n");
        Capture out(std::cout);
        program_ = std::make_unique<GLutil::ShaderProgram>("CountShader");
        program_->attatch(GLutil::ShaderStore::getShader(vert));
        program_->attatch(GLutil::ShaderStore::getShader(frag));
        program_->bindAttributeLocation(0, "vVertex");
        program_->link();
    }
    void TearDown() override {
        VX3D::RenderState::vertexArrayDebug = false;
        Capture out(std::cout);
        program_.reset();
        GLutil::ShaderStore::purge();
        GLFixture::TearDown();
    }

    // Primitives that reach the pipeline during the action.
    GLuint primitivesOf(const std::function<void()>& action) {
        GLuint query = 0;
        glGenQueries(1, &query);
        program_->use();
        glBeginQuery(GL_PRIMITIVES_GENERATED, query);
        action();
        glEndQuery(GL_PRIMITIVES_GENERATED);
        GLutil::ShaderProgram::unuse();
        GLuint count = 0;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &count);
        glDeleteQueries(1, &query);
        return count;
    }

    std::unique_ptr<GLutil::ShaderProgram> program_;
};

std::vector<glm::vec3> positions(std::size_t count) {
    std::vector<glm::vec3> result(count);
    for (std::size_t i = 0; i < count; ++i) {
        result[i] = glm::vec3(float(i % 3) * 0.1f, float(i / 3) * 0.1f, 0.0f);
    }
    return result;
}

TEST_F(DrawableVAO, StartsEmptyAsQuads) {
    GLutil::DrawableVAO mesh;
    EXPECT_EQ(mesh.mode, GLenum(GL_QUADS));
    EXPECT_EQ(mesh.vertexCount(), 0);
    EXPECT_EQ(mesh.indexCount(), 0);
    EXPECT_EQ(mesh.indexType(), 0u);
    EXPECT_TRUE(mesh.buffers().empty());
    EXPECT_FALSE(mesh.indices());
    ASSERT_TRUE(mesh.vao());
    EXPECT_NE(mesh.vao()->id(), 0u);
}

TEST_F(DrawableVAO, DifferentElementCount_RaisesAndKeepsFirstBuffer) {
    GLutil::DrawableVAO mesh;
    mesh.addBuffer(0, positions(36));
    const auto first = mesh.buffers().at(0);
    try {
        mesh.addBuffer(1, std::vector<glm::vec2>(24));
        FAIL() << "no error";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "buffers of different element sizes added");
    }
    EXPECT_THROW(mesh.addBuffer(0, std::vector<glm::vec4>(35)), std::logic_error);
    EXPECT_EQ(mesh.vertexCount(), 36);
    ASSERT_EQ(mesh.buffers().size(), 1u);
    EXPECT_EQ(mesh.buffers().at(0), first);
    // The same count is still accepted afterwards.
    EXPECT_NO_THROW(mesh.addBuffer(1, std::vector<glm::vec2>(36)));
    EXPECT_EQ(mesh.buffers().size(), 2u);
}

TEST_F(DrawableVAO, SameSlotAgain_ReplacesAndReleasesTheOldBuffer) {
    GLutil::DrawableVAO mesh;
    mesh.addBuffer(0, positions(6));
    std::weak_ptr<GLutil::VBO> old = mesh.buffers().at(0);
    mesh.addBuffer(0, std::vector<glm::vec4>(6, glm::vec4(0.0f, 0.0f, 0.0f, 1.0f)),
                   GL_DYNAMIC_COPY);
    EXPECT_EQ(mesh.buffers().size(), 1u);
    EXPECT_TRUE(old.expired());
    // The slot now reads from the new buffer with four components.
    mesh.vao()->bind();
    GLint size = 0;
    GLint bound = 0;
    glGetVertexAttribiv(0, GL_VERTEX_ATTRIB_ARRAY_SIZE, &size);
    glGetVertexAttribiv(0, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &bound);
    GLutil::VAO::unbind();
    EXPECT_EQ(size, 4);
    EXPECT_EQ(GLuint(bound), mesh.buffers().at(0)->id());
    GLint usage = 0;
    mesh.buffers().at(0)->bind();
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_USAGE, &usage);
    mesh.buffers().at(0)->unbind();
    EXPECT_EQ(usage, GL_DYNAMIC_COPY);
}

TEST_F(DrawableVAO, Indices_SetTypeAndCount_AndDrawIndexCount) {
    GLutil::DrawableVAO mesh;
    mesh.addBuffer(0, positions(4));
    mesh.mode = GL_TRIANGLES;
    mesh.setIndices(std::vector<std::uint8_t>{0, 1, 2, 0, 2, 3, 1, 2, 3});
    EXPECT_EQ(mesh.indexType(), GLenum(GL_UNSIGNED_BYTE));
    EXPECT_EQ(mesh.indexCount(), 9);
    EXPECT_EQ(mesh.vertexCount(), 4);
    EXPECT_EQ(primitivesOf([&] { mesh.draw(); }), 3u);

    std::weak_ptr<GLutil::VBO> old = mesh.indices();
    mesh.setIndices(std::vector<std::uint16_t>{0, 1, 2});
    EXPECT_TRUE(old.expired());
    EXPECT_EQ(mesh.indexType(), GLenum(GL_UNSIGNED_SHORT));
    EXPECT_EQ(primitivesOf([&] { mesh.draw(); }), 1u);

    mesh.setIndices(std::vector<std::uint32_t>{0, 1, 2, 2, 3, 0});
    EXPECT_EQ(mesh.indexType(), GLenum(GL_UNSIGNED_INT));
    EXPECT_EQ(primitivesOf([&] { mesh.draw(); }), 2u);
}

TEST_F(DrawableVAO, WithoutIndices_DrawsVertexCountWithMode) {
    GLutil::DrawableVAO mesh;
    mesh.addBuffer(0, positions(6));
    mesh.mode = GL_LINES;
    EXPECT_EQ(primitivesOf([&] { mesh.draw(); }), 3u);
    mesh.mode = GL_TRIANGLES;
    EXPECT_EQ(primitivesOf([&] { mesh.draw(); }), 2u);
}

TEST_F(DrawableVAO, DrawTriangles_IgnoresMode_AndNothingUnderVertexArrayDebug) {
    GLutil::DrawableVAO mesh;
    mesh.addBuffer(0, positions(6));
    mesh.mode = GL_LINES;
    EXPECT_EQ(primitivesOf([&] { mesh.drawTriangles(); }), 2u);

    VX3D::RenderState::vertexArrayDebug = true;
    EXPECT_EQ(primitivesOf([&] { mesh.drawTriangles(); }), 0u);
    // The debug path of draw runs without graphics errors, with and without indices.
    EXPECT_NO_THROW(mesh.draw());
    mesh.setIndices(std::vector<std::uint16_t>{0, 1, 2});
    EXPECT_NO_THROW(mesh.draw());
    GLint elementBinding = -1;
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elementBinding);
    EXPECT_EQ(elementBinding, 0);
}

TEST_F(DrawableVAO, ConnectToShader_RecordsComponentsTypeAndUsage) {
    GLutil::VAO vao;
    vao.bind();
    const auto visibility = GLutil::VBO::connectToShader(2, std::vector<std::uint32_t>{0, 1, 2});
    const auto uv = GLutil::VBO::connectToShader(1, std::vector<glm::vec2>(3));
    GLint size = 0;
    GLint type = 0;
    GLint normalised = 1;
    GLint enabled = 0;
    glGetVertexAttribiv(2, GL_VERTEX_ATTRIB_ARRAY_SIZE, &size);
    glGetVertexAttribiv(2, GL_VERTEX_ATTRIB_ARRAY_TYPE, &type);
    glGetVertexAttribiv(2, GL_VERTEX_ATTRIB_ARRAY_NORMALIZED, &normalised);
    glGetVertexAttribiv(2, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    EXPECT_EQ(size, 1);
    EXPECT_EQ(type, GL_UNSIGNED_INT);
    EXPECT_EQ(normalised, GL_FALSE);
    EXPECT_EQ(enabled, GL_TRUE);
    glGetVertexAttribiv(1, GL_VERTEX_ATTRIB_ARRAY_SIZE, &size);
    EXPECT_EQ(size, 2);
    GLutil::VAO::unbind();

    GLint usage = 0;
    GLint bytes = 0;
    visibility->bind();
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_USAGE, &usage);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &bytes);
    visibility->unbind();
    EXPECT_EQ(usage, GL_DYNAMIC_COPY);
    EXPECT_EQ(bytes, 12);
    EXPECT_EQ(uv->target(), GLenum(GL_ARRAY_BUFFER));
}

}  // namespace
