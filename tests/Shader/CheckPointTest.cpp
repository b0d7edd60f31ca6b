// The checkpoint after graphics calls: its location text, that it raises on a pending
// graphics error and drains the queue, and that handle destructors report such an
// error on standard error instead of letting it escape.
#include "GLFixture.h"

#include "Shader/CheckPoint.h"
#include "FBO/FBO.h"
#include "Shader/ShaderHandle.h"
#include "Texture/TextureHandle.h"
#include "TransformFeedback/TransformFeedback.h"
#include "VAO/VAO.h"
#include "VAO/VBO.h"

#include <functional>

#include <optional>
#include <stdexcept>

namespace {

using GLutilTest::Capture;

class CheckPoint : public GLutilTest::GLFixture {};

// An enum no glEnable accepts: leaves GL_INVALID_ENUM pending.
constexpr GLenum kBogusCapability = 0x7FFF;

TEST_F(CheckPoint, LocationText_ShowsTreeRelativeFileFunctionAndLine) {
    EXPECT_EQ(
        GLutil::locationText("/work/main/src/Shader/Shader.cpp", "GLutil::Shader::reload_impl", 42),
        "File src/Shader/Shader.cpp in Function GLutil::Shader::reload_impl at Line 42");
    EXPECT_EQ(GLutil::locationText("Loose.cpp", "f", 1), "File Loose.cpp in Function f at Line 1");
}

TEST_F(CheckPoint, PassesQuietly_WithoutPendingError) {
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_NO_THROW(GLUTIL_CHECKPOINT("Test::clear"));
}

TEST_F(CheckPoint, RaisesLocationAndErrorName_WhenErrorPending_ThenDrains) {
    glEnable(kBogusCapability);
    const int line = __LINE__ + 2;
    try {
        GLUTIL_CHECKPOINT("Test::enable");
        FAIL() << "no error raised";
    } catch (const std::logic_error& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find(" in Function Test::enable at Line " + std::to_string(line)),
                  std::string::npos)
            << message;
        EXPECT_EQ(message.rfind("File ", 0), 0u) << message;
        EXPECT_NE(message.find("GL_INVALID_ENUM"), std::string::npos) << message;
    }
    EXPECT_NO_THROW(GLUTIL_CHECKPOINT("Test::after"));
}

TEST_F(CheckPoint, HandleDestructors_PrintPendingErrorAndDoNotThrow) {
    std::optional<GLutil::ShaderHandle> shader(std::in_place, GL_VERTEX_SHADER);
    std::optional<GLutil::ProgramHandle> program(std::in_place);
    Capture err(std::cerr);
    glEnable(kBogusCapability);
    EXPECT_NO_THROW(shader.reset());
    glEnable(kBogusCapability);
    EXPECT_NO_THROW(program.reset());
    const std::string text = err.text();
    EXPECT_NE(text.find("Caught exception in ShaderHandle Destructor: File "
                        "src/Shader/ShaderHandle.cpp in Function "
                        "GLutil::ShaderHandle::~ShaderHandle at Line "),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Caught exception in ProgramHandle Destructor: File "
                        "src/Shader/ShaderHandle.cpp in Function "
                        "GLutil::ProgramHandle::~ProgramHandle at Line "),
              std::string::npos)
        << text;
    EXPECT_EQ(text.back(), '\n');
}

template <typename Handle>
std::string destroyWithPendingError() {
    auto handle = std::make_unique<Handle>();
    Capture err(std::cerr);
    glEnable(kBogusCapability);
    handle.reset();
    return err.text();
}

TEST_F(CheckPoint, BufferAndTextureHandleDestructors_PrintPendingErrorAndDoNotThrow) {
    const std::vector<std::pair<std::string, std::function<std::string()>>> handles = {
        {"VBOHandle", destroyWithPendingError<GLutil::VBOHandle>},
        {"VAOHandle", destroyWithPendingError<GLutil::VAOHandle>},
        {"FBOHandle", destroyWithPendingError<GLutil::FBOHandle>},
        {"RBHandle", destroyWithPendingError<GLutil::RBHandle>},
        {"TextureHandle", destroyWithPendingError<GLutil::TextureHandle>},
        {"TransformFeedbackHandle", destroyWithPendingError<GLutil::TransformFeedbackHandle>},
    };
    for (const auto& [name, destroy] : handles) {
        std::string text;
        EXPECT_NO_THROW(text = destroy()) << name;
        const std::string expected = "Caught exception in " + name + " Destructor: File src/";
        EXPECT_EQ(text.rfind(expected, 0), 0u) << text;
        EXPECT_NE(text.find(" in Function GLutil::" + name + "::~" + name + " at Line "),
                  std::string::npos)
            << text;
        EXPECT_NO_THROW(GLUTIL_CHECKPOINT("Test::after")) << name;
    }
}

TEST_F(CheckPoint, HandleConstructor_RaisesOnPendingError_WithoutLeakingTheName) {
    glEnable(kBogusCapability);
    EXPECT_THROW(GLutil::VBOHandle{}, std::logic_error);
    GLutil::VBOHandle next;
    EXPECT_NE(next.id(), 0u);
}

}  // namespace
