// Textures from PNG files: the error for missing and corrupt files, the
// "Image Information" line, the upload with mipmaps, and filters applied at bind time.
#include "GLFixture.h"

#include "Texture/Texture.h"
#include "Veltrix3D/RenderState.h"

#include <lodepng.h>

#include <cstdio>
#include <stdexcept>

namespace {

using GLutilTest::Capture;

class Texture : public GLutilTest::GLFixture {
protected:
    void TearDown() override {
        VX3D::RenderState::minFilter = GL_LINEAR_MIPMAP_LINEAR;
        VX3D::RenderState::magFilter = GL_LINEAR;
        glActiveTexture(GL_TEXTURE0);
        GLFixture::TearDown();
    }

    std::string writePng(const std::string& name, const std::vector<unsigned char>& rgba,
                         unsigned width, unsigned height) const {
        const std::string path = pathOf(name);
        EXPECT_EQ(lodepng::encode(path, rgba, width, height), 0u);
        return path;
    }

    static std::string errorOf(const std::string& path) {
        Capture out(std::cout);
        try {
            GLutil::Texture texture(path, 0);
        } catch (const std::logic_error& e) {
            return e.what();
        }
        return "<nothing raised>";
    }
};

TEST_F(Texture, MissingFile_RaisesDecodingErrorNamingThePath) {
    const std::string path = pathOf("absent.png");
    const std::string message = errorOf(path);
    EXPECT_EQ(message.rfind("decoding png " + path + " gave error: ", 0), 0u) << message;
    const std::string code = message.substr(("decoding png " + path + " gave error: ").size());
    ASSERT_FALSE(code.empty());
    EXPECT_NE(code[0], '0') << message;
    EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(code[0]))) << message;
}

TEST_F(Texture, CorruptOrEmptyFile_RaisesDecodingErrorWithCode) {
    for (const std::string& bytes : {std::string("not a png at all, just text"), std::string()}) {
        const std::string path = write("corrupt.png", bytes);
        const std::string message = errorOf(path);
        EXPECT_EQ(message.rfind("decoding png " + path + " gave error: ", 0), 0u) << message;
    }
    // A real PNG cut short.
    const std::string whole =
        writePng("whole.png", std::vector<unsigned char>(16 * 16 * 4, 7), 16, 16);
    std::string head;
    {
        std::ifstream in(whole, std::ios::binary);
        head.assign(std::istreambuf_iterator<char>(in), {});
    }
    const std::string path = write("cut.png", head.substr(0, head.size() / 2));
    EXPECT_EQ(errorOf(path).rfind("decoding png " + path + " gave error: ", 0), 0u);

    // A header that asks for more pixels than any texture: refused before decoding, so a
    // 100-byte file cannot make the loader reserve gigabytes.
    std::string huge = head;
    const unsigned char side[4] = {0, 0, 0x80, 0x00};  // 32768, big-endian
    huge.replace(16, 4, reinterpret_cast<const char*>(side), 4);
    huge.replace(20, 4, reinterpret_cast<const char*>(side), 4);
    lodepng_chunk_generate_crc(reinterpret_cast<unsigned char*>(huge.data()) + 8);
    const std::string hugePath = write("huge.png", huge);
    EXPECT_EQ(errorOf(hugePath),
              "decoding png " + hugePath +
                  " gave error: the image is 32768 x 32768 pixels, "
                  "more than a texture may have (8192 on a side, 16777216 in all)");
}

TEST_F(Texture, OnePixelImage_LoadsWithoutInformationLine) {
    const std::string path = writePng("one.png", {1, 2, 3, 4}, 1, 1);
    Capture out(std::cout);
    GLutil::Texture texture(path, 0, GLutil::Texture::Pixels::kept);
    EXPECT_EQ(out.text(), "");
    EXPECT_TRUE(texture.loaded());
    EXPECT_EQ(texture.width(), 1u);
    EXPECT_EQ(texture.height(), 1u);
    EXPECT_EQ(texture.pixels(), (std::vector<unsigned char>{1, 2, 3, 4}));
    // Without asking, nothing of the decoded image outlives the upload.
    EXPECT_TRUE(GLutil::Texture(path, 0).pixels().empty());
}

TEST_F(Texture, InformationLine_FirstPixelInBareHex_ThenDecimalAgain) {
    const std::string path = writePng("two.png", {255, 0, 16, 255, 9, 9, 9, 9}, 2, 1);
    Capture out(std::cout);
    GLutil::Texture texture(path, 3);
    std::cout << 255 << "\n";
    EXPECT_EQ(out.text(),
              "Image Information " + path + ": width: 2 height: 1 first pixel: ff010ff\n255\n");
}

TEST_F(Texture, Upload_HoldsThePixelsWithMipmapsAndRepeat_OnItsUnit) {
    std::vector<unsigned char> rgba(4 * 2 * 4);
    for (std::size_t i = 0; i < rgba.size(); ++i) {
        rgba[i] = static_cast<unsigned char>(i * 7);
    }
    const std::string path = writePng("four.png", rgba, 4, 2);
    Capture out(std::cout);
    GLutil::Texture texture(path, 2, GLutil::Texture::Pixels::kept);
    EXPECT_EQ(texture.pixels(), rgba);
    EXPECT_EQ(texture.unit(), 2);

    GLint active = 0;
    GLint bound = -1;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(active, GL_TEXTURE2);
    EXPECT_EQ(bound, 0);

    glBindTexture(GL_TEXTURE_2D, texture.id());
    std::vector<unsigned char> texels(rgba.size());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    GLint level1 = 0;
    GLint wrap = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &level1);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(texels, rgba);
    EXPECT_EQ(level1, 2);
    EXPECT_EQ(wrap, GL_REPEAT);
}

// A picture shown only now and then: decoded (and refused if broken) at load with its line,
// but in graphics memory only between makeResident and release, quietly and as often as asked.
TEST_F(Texture, WhenShown_UploadedOnlyWhileShown_FromTheFileReadAtLoad) {
    std::vector<unsigned char> rgba(4 * 2 * 4);
    for (std::size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<unsigned char>(i * 5 + 1);
    const std::string path = writePng("shown.png", rgba, 4, 2);
    Capture out(std::cout);
    GLutil::Texture texture(path, 1, GLutil::Texture::Pixels::dropped,
                            GLutil::Texture::Residency::whenShown);
    EXPECT_EQ(out.text(),
              "Image Information " + path + ": width: 4 height: 2 first pixel: 16b10\n");
    EXPECT_TRUE(texture.loaded());
    EXPECT_FALSE(texture.resident());
    EXPECT_EQ(texture.id(), 0u);
    std::remove(path.c_str());  // what was read at load is all it needs from now on
    GLuint first = 0;
    for (int shown = 0; shown < 2; ++shown) {
        texture.makeResident();
        ASSERT_TRUE(texture.resident());
        if (shown == 0) first = texture.id();
        texture.makeResident();  // resident already: the same object
        glBindTexture(GL_TEXTURE_2D, texture.id());
        std::vector<unsigned char> texels(rgba.size());
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        EXPECT_EQ(texels, rgba);
        texture.release();
        EXPECT_FALSE(texture.resident());
    }
    EXPECT_FALSE(glIsTexture(first));  // released means gone from graphics memory
    EXPECT_EQ(out.text(),
              "Image Information " + path + ": width: 4 height: 2 first pixel: 16b10\n");
}

TEST_F(Texture, Bind_AppliesFiltersSwitchedSinceLoading) {
    const std::string path =
        writePng("filter.png", std::vector<unsigned char>(8 * 8 * 4, 200), 8, 8);
    Capture out(std::cout);
    GLutil::Texture texture(path, 1);
    VX3D::RenderState::minFilter = GL_NEAREST;
    VX3D::RenderState::magFilter = GL_NEAREST;
    texture.bind();
    GLint active = 0;
    GLint bound = 0;
    GLint minFilter = 0;
    GLint magFilter = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(active, GL_TEXTURE1);
    EXPECT_EQ(GLuint(bound), texture.id());
    EXPECT_EQ(minFilter, GL_NEAREST);
    EXPECT_EQ(magFilter, GL_NEAREST);
}

TEST_F(Texture, Copies_ShareOneTextureObjectAndPixels_EmptyOneIsNotLoaded) {
    const std::string path = writePng("shared.png", std::vector<unsigned char>(2 * 2 * 4, 1), 2, 2);
    Capture out(std::cout);
    auto texture = std::make_unique<GLutil::Texture>(path, 0, GLutil::Texture::Pixels::kept);
    const GLutil::Texture copy = *texture;
    const GLuint id = texture->id();
    EXPECT_EQ(&copy.pixels(), &texture->pixels());
    texture.reset();
    EXPECT_EQ(copy.id(), id);
    EXPECT_EQ(copy.pixels(), std::vector<unsigned char>(2 * 2 * 4, 1));
    EXPECT_TRUE(glIsTexture(id));

    const GLutil::Texture empty;
    EXPECT_FALSE(empty.loaded());
    EXPECT_TRUE(empty.pixels().empty());
    EXPECT_NO_THROW(empty.bind());
}

}  // namespace
