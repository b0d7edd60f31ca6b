// Frame buffers: status names of incomplete ones, a coloured mesh drawn into a colour
// texture and read back with glReadPixels, the filter and mipmap rules of attached
// textures, depth attachments, and finish resetting the buffers.
#include "GLFixture.h"

#include "FBO/FBO.h"
#include "Shader/ShaderProgram.h"
#include "Shader/ShaderStore.h"
#include "VAO/DrawableVAO.h"
#include "Veltrix3D/RenderState.h"

#include <stdexcept>

namespace {

using GLutilTest::Capture;

class FBO : public GLutilTest::GLFixture {
protected:
    void TearDown() override {
        VX3D::RenderState::minFilter = GL_LINEAR_MIPMAP_LINEAR;
        VX3D::RenderState::magFilter = GL_LINEAR;
        GLutil::FBO::unbind();
        GLFixture::TearDown();
    }

    static std::string statusMessage(const GLutil::FBO& target) {
        glBindFramebuffer(GL_FRAMEBUFFER, target.id());
        std::string message = "<complete>";
        try {
            GLutil::FBO::checkStatus();
        } catch (const std::logic_error& e) {
            message = e.what();
        }
        GLutil::FBO::unbind();
        return message;
    }

    static GLint textureParameter(GLuint texture, GLenum name) {
        GLint value = 0;
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
        glBindTexture(GL_TEXTURE_2D, 0);
        return value;
    }

    static GLint levelWidth(GLuint texture, GLint level) {
        GLint value = 0;
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &value);
        glBindTexture(GL_TEXTURE_2D, 0);
        return value;
    }
};

TEST_F(FBO, WithoutAttachment_StatusIsMissingAttachment) {
    GLutil::FBO target(16, 16, false);
    EXPECT_EQ(statusMessage(target), "GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT");
}

TEST_F(FBO, EmptyTexture_StatusIsIncompleteAttachment) {
    GLutil::FBO target(0, 0, false);
    target.attatchTexture(GL_RGBA8, GL_RGBA, GL_COLOR_ATTACHMENT0);
    EXPECT_EQ(statusMessage(target), "GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT");
}

TEST_F(FBO, DefaultFramebuffer_PassesStatusCheck) {
    GLutil::FBO::unbind();
    EXPECT_NO_THROW(GLutil::FBO::checkStatus());
}

TEST_F(FBO, ColouredMesh_RendersIntoTexture_AndReadsBack) {
    const std::string vert =
        write("colour.vert",
              "#version 400\nin vec3 vVertex;\nin vec4 vColour;\nout vec4 colour;\n"
              "void main() { colour = vColour; gl_Position = vec4(vVertex, 1.0); }\n");
    const std::string frag = write("colour.frag",
                                   "#version 400\nin vec4 colour;\nout vec4 fragColour;\n"
                                   "void main() { fragColour = colour; }\n");
    Capture out(std::cout);
    GLutil::ShaderProgram program("ColourShader");
    program.attatch(GLutil::ShaderStore::getShader(vert));
    program.attatch(GLutil::ShaderStore::getShader(frag));
    program.bindAttributeLocation(0, "vVertex");
    program.bindAttributeLocation(1, "vColour");
    program.link();

    // A quad over the left half of the target.
    GLutil::DrawableVAO quad;
    quad.addBuffer(0, std::vector<glm::vec3>{{-1, 1, 0}, {0, 1, 0}, {0, -1, 0}, {-1, -1, 0}});
    quad.addBuffer(1, std::vector<glm::vec4>(4, glm::vec4(1.0f, 0.0f, 1.0f, 1.0f)));

    GLutil::FBO target(32, 16, true);
    target.attatchTexture(GL_RGBA8, GL_RGBA, GL_COLOR_ATTACHMENT0);
    target.attatchDepthBuffer();
    ASSERT_TRUE(target.depth());
    glBindFramebuffer(GL_FRAMEBUFFER, target.id());
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    ASSERT_NO_THROW(GLutil::FBO::checkStatus());
    glViewport(0, 0, 32, 16);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    program.use();
    quad.draw();
    GLutil::ShaderProgram::unuse();

    const auto pixels = VX3DTest::readPixels(0, 0, 32, 16);
    auto at = [&](int x, int y) { return &pixels[std::size_t(y * 32 + x) * 4]; };
    EXPECT_EQ(at(4, 8)[0], 255);
    EXPECT_EQ(at(4, 8)[1], 0);
    EXPECT_EQ(at(4, 8)[2], 255);
    EXPECT_EQ(at(28, 8)[0], 0);
    EXPECT_EQ(at(28, 8)[2], 255);
    VX3DTest::writePng(pathOf("fbo.png"), pixels, 32, 16);

    target.finish(true);
    GLint drawBuffer = 0;
    GLint readBuffer = 0;
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    EXPECT_EQ(drawBuffer, GL_BACK);
    EXPECT_EQ(readBuffer, GL_BACK);
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);

    // The texture holds the same picture, and finish made its mipmaps.
    std::vector<unsigned char> texels(32 * 16 * 4);
    glBindTexture(GL_TEXTURE_2D, target.getTexture(0)->id());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(texels, pixels);
    EXPECT_EQ(levelWidth(target.getTexture(0)->id(), 1), 16);
}

TEST_F(FBO, TextureFilters_FollowSettingsOnlyWithMipmaps) {
    VX3D::RenderState::minFilter = GL_NEAREST_MIPMAP_NEAREST;
    VX3D::RenderState::magFilter = GL_NEAREST;
    GLutil::FBO plain(8, 8, false);
    plain.attatchTexture(GL_RGBA8, GL_RGBA, GL_COLOR_ATTACHMENT0);
    GLutil::FBO mipmapped(8, 8, true);
    mipmapped.attatchTexture(GL_RGBA8, GL_RGBA, GL_COLOR_ATTACHMENT0);

    const GLuint p = plain.getTexture(0)->id();
    const GLuint m = mipmapped.getTexture(0)->id();
    EXPECT_EQ(textureParameter(p, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(textureParameter(m, GL_TEXTURE_MIN_FILTER), GL_NEAREST_MIPMAP_NEAREST);
    EXPECT_EQ(textureParameter(p, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(textureParameter(p, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(textureParameter(p, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(textureParameter(p, GL_TEXTURE_COMPARE_MODE), GL_COMPARE_REF_TO_TEXTURE);
    EXPECT_EQ(textureParameter(p, GL_TEXTURE_COMPARE_FUNC), GL_LEQUAL);

    // Without mipmaps finish leaves the levels alone.
    plain.finish(false);
    EXPECT_EQ(levelWidth(p, 1), 0);
}

TEST_F(FBO, ShadowMapDepthTexture_IsComplete) {
    GLutil::FBO shadow(300, 200, false);
    shadow.attatchTexture(GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, GL_DEPTH_ATTACHMENT);
    glBindFramebuffer(GL_FRAMEBUFFER, shadow.id());
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    EXPECT_NO_THROW(GLutil::FBO::checkStatus());
    glClear(GL_DEPTH_BUFFER_BIT);
    EXPECT_NO_THROW(shadow.finish(true));
    EXPECT_EQ(shadow.textures().size(), 1u);
}

TEST_F(FBO, SeveralColourTextures_InAttachmentOrder_IndexPastEndRaises) {
    GLutil::FBO target(8, 8, true);
    target.attatchTexture(GL_RGBA8, GL_RGBA, GL_COLOR_ATTACHMENT0);
    target.attatchTexture(GL_RGBA8, GL_RGBA, GL_COLOR_ATTACHMENT1);
    target.attatchTexture(GL_RGBA8, GL_RGBA, GL_COLOR_ATTACHMENT2);
    target.attatchDepthBuffer();
    glBindFramebuffer(GL_FRAMEBUFFER, target.id());
    for (int i = 0; i < 3; ++i) {
        GLint name = 0;
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GLenum(GL_COLOR_ATTACHMENT0 + i),
                                              GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &name);
        EXPECT_EQ(GLuint(name), target.getTexture(std::size_t(i))->id());
    }
    const GLenum buffers[] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2};
    glDrawBuffers(3, buffers);
    EXPECT_NO_THROW(GLutil::FBO::checkStatus());
    target.finish(false);
    EXPECT_THROW(target.getTexture(3), std::out_of_range);
    // A second depth buffer replaces the first.
    std::weak_ptr<GLutil::RBHandle> first = target.depth();
    target.attatchDepthBuffer();
    EXPECT_TRUE(first.expired());
}

}  // namespace
