// Shaders, programs, the shader store and the program registry against a real
// context: stages by extension, the error texts of unreadable, uncompilable and
// unlinkable sources, unknown uniforms, sharing through the store, and reloads that
// keep the old shader on failure and pick up edited or replaced files otherwise.
#include "GLFixture.h"

#include "Shader/ProgramRegistry.h"
#include "Shader/Shader.h"
#include "Shader/ShaderProgram.h"
#include "Shader/ShaderStore.h"

#include <filesystem>
#include <stdexcept>

namespace {

using GLutilTest::Capture;

// A triangle that covers the whole viewport, from gl_VertexID alone.
const char* const kFullScreenVert = R"(#version 400
in vec3 vVertex;
void main() {
    vec2 corner = vec2((gl_VertexID == 1) ? 3.0 : -1.0, (gl_VertexID == 2) ? 3.0 : -1.0);
    gl_Position = vec4(corner, 0.0, 1.0) + vec4(vVertex * 0.0, 0.0);
}
)";

std::string solidFrag(const std::string& colour, const std::string& padding = "") {
    return "#version 400\n" + padding +
           "uniform vec4 tint;\nuniform float unusedScale;\nout vec4 fragColour;\n"
           "void main() { fragColour = vec4(" +
           colour + ") + tint * 0.0; }\n";
}

const char* const kBrokenFrag =
    "#version 400\nout vec4 fragColour;\nvoid main() { fragColour = undefinedThing; }\n";

std::string messageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::logic_error& e) {
        return e.what();
    }
    return "<nothing raised>";
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class ShaderFixture : public GLutilTest::GLFixture {
protected:
    void SetUp() override {
        GLFixture::SetUp();
        Capture out(std::cout);
        GLutil::ShaderStore::purge();
    }

    std::shared_ptr<GLutil::ShaderProgram> buildProgram(const std::string& name,
                                                        const std::string& vert,
                                                        const std::string& frag) {
        Capture out(std::cout);
        auto program = std::make_shared<GLutil::ShaderProgram>(name);
        program->attatch(GLutil::ShaderStore::getShader(vert));
        program->attatch(GLutil::ShaderStore::getShader(frag));
        program->bindAttributeLocation(0, "vVertex");
        program->link();
        return program;
    }

    // Draws the full-screen triangle with the program and reads the centre pixel.
    std::vector<unsigned char> drawCentre(GLutil::ShaderProgram& program) {
        glViewport(0, 0, 64, 64);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        program.use();
        glDrawArrays(GL_TRIANGLES, 0, 3);
        GLutil::ShaderProgram::unuse();
        return VX3DTest::readPixels(32, 32, 1, 1);
    }
};

class ShaderStage : public ShaderFixture {};
class ShaderBuild : public ShaderFixture {};
class ShaderStore : public ShaderFixture {};
class ShaderProgram : public ShaderFixture {};
class ShaderReload : public ShaderFixture {};

TEST_F(ShaderStage, Extensions_GiveTheirStages) {
    const std::string geom =
        "#version 400\nlayout(points) in;\nlayout(points, max_vertices = 1) out;\n"
        "void main() { gl_Position = gl_in[0].gl_Position; EmitVertex(); }\n";
    const std::string tesC =
        "#version 400\nlayout(vertices = 3) out;\nvoid main() {\n"
        "  gl_TessLevelOuter[0] = 1.0; gl_TessLevelOuter[1] = 1.0; gl_TessLevelOuter[2] = 1.0;\n"
        "  gl_TessLevelInner[0] = 1.0;\n"
        "  gl_out[gl_InvocationID].gl_Position = gl_in[gl_InvocationID].gl_Position;\n}\n";
    const std::string tesE =
        "#version 400\nlayout(triangles) in;\nvoid main() { gl_Position = gl_in[0].gl_Position; "
        "}\n";
    EXPECT_EQ(GLutil::Shader(write("a.vert", kFullScreenVert)).stage(), GLenum(GL_VERTEX_SHADER));
    EXPECT_EQ(GLutil::Shader(write("a.frag", solidFrag("1.0"))).stage(),
              GLenum(GL_FRAGMENT_SHADER));
    EXPECT_EQ(GLutil::Shader(write("a.geom", geom)).stage(), GLenum(GL_GEOMETRY_SHADER));
    EXPECT_EQ(GLutil::Shader(write("a.tesC", tesC)).stage(), GLenum(GL_TESS_CONTROL_SHADER));
    EXPECT_EQ(GLutil::Shader(write("a.tesE", tesE)).stage(), GLenum(GL_TESS_EVALUATION_SHADER));
}

TEST_F(ShaderStage, UnknownExtension_IsNamedInTheError) {
    // Raised before the file is looked at, so none of these needs to exist.
    EXPECT_EQ(messageOf([] { GLutil::Shader("Shader/floor.tese"); }),
              "Shader Extension .tese not recognized");
    EXPECT_EQ(messageOf([] { GLutil::Shader("Shader/basic.VERT"); }),
              "Shader Extension .VERT not recognized");
    EXPECT_EQ(messageOf([] { GLutil::Shader("Shader/basic"); }),
              "Shader Extension  not recognized");
    // A dot in a directory name is no extension of the file.
    EXPECT_EQ(messageOf([] { GLutil::Shader("Shader.vert/basic"); }),
              "Shader Extension  not recognized");
    EXPECT_EQ(GLutil::shaderExtension("./Shader/a.b.frag"), ".frag");
}

TEST_F(ShaderBuild, MissingFile_ErrorNamesThePath) {
    const std::string path = pathOf("missing.vert");
    const std::string message = messageOf([&] { GLutil::Shader{path}; });
    EXPECT_TRUE(message.size() > path.size() + 3 && message.ends_with(" (" + path + ")"))
        << message;
}

TEST_F(ShaderBuild, CompileFailure_CarriesTheCompileLog) {
    const std::string path = write("broken.frag", kBrokenFrag);
    const std::string message = messageOf([&] { GLutil::Shader{path}; });
    const std::string heading = "Info Log of Shader " + path + ":\n";
    EXPECT_EQ(message.rfind(heading, 0), 0u) << message;
    EXPECT_FALSE(contains(message, "NO INFO AVAILABLE")) << message;
    EXPECT_TRUE(contains(message, "undefinedThing")) << message;
}

TEST_F(ShaderBuild, SourceWithoutTerminatingZero_Compiles) {
    // The mapping ends exactly at the last byte; the explicit length must be used.
    const std::string path = write("tight.vert", std::string(kFullScreenVert) + "// end");
    GLutil::Shader shader(path);
    std::ostringstream log;
    shader.printInfoLog(log);
    EXPECT_EQ(log.str().rfind("Info Log of Shader " + path + ":\n", 0), 0u);
}

TEST_F(ShaderStore, SamePath_SharesOneShaderAmongPrograms) {
    const std::string vert = write("basic.vert", kFullScreenVert);
    const std::string frag = write("basic.frag", solidFrag("1.0, 0.0, 0.0, 1.0"));
    auto first = buildProgram("FirstShader", vert, frag);
    auto second = buildProgram("SecondShader", vert, frag);
    EXPECT_EQ(first->shaders()[0], second->shaders()[0]);
    EXPECT_EQ(first->shaders()[0]->id(), second->shaders()[0]->id());
    EXPECT_EQ(GLutil::ShaderStore::size(), 2u);

    Capture out(std::cout);
    GLutil::ShaderStore::purge();
    EXPECT_EQ(out.text(), "Purging ShaderStore knowledge of 2 shaders\n");
    EXPECT_EQ(GLutil::ShaderStore::size(), 0u);
    // The programs still hold their shaders and can be linked again from them.
    EXPECT_NO_THROW(first->link());
    EXPECT_EQ(drawCentre(*first)[0], 255);
    // After a purge the same path builds a new shader.
    EXPECT_NE(GLutil::ShaderStore::getShader(vert), second->shaders()[0]);
}

TEST_F(ShaderStore, FailedBuild_LeavesStoreUnchanged) {
    const std::string broken = write("broken.frag", kBrokenFrag);
    EXPECT_THROW(GLutil::ShaderStore::getShader(broken), std::logic_error);
    EXPECT_THROW(GLutil::ShaderStore::getShader("Shader/none.tese"), std::logic_error);
    EXPECT_EQ(GLutil::ShaderStore::size(), 0u);
    // Once the file is mended the same path builds.
    write("broken.frag", solidFrag("1.0"));
    EXPECT_NO_THROW(GLutil::ShaderStore::getShader(broken));
    EXPECT_EQ(GLutil::ShaderStore::size(), 1u);
}

TEST_F(ShaderProgram, LinkFailure_CarriesTheProgramLog) {
    const std::string vert =
        write("proto.vert",
              "#version 400\nvoid helper();\nvoid main() { helper(); gl_Position = vec4(0.0); }\n");
    Capture out(std::cout);
    GLutil::ShaderProgram program("UnlinkableShader");
    program.attatch(GLutil::ShaderStore::getShader(vert));
    const std::string message = messageOf([&] { program.link(); });
    EXPECT_EQ(message.rfind("Info Log of UnlinkableShader\n", 0), 0u) << message;
    EXPECT_FALSE(contains(message, "NO INFO AVAILABLE")) << message;
}

TEST_F(ShaderProgram, SuccessfulLink_LogSaysNoInfoAvailable) {
    auto program = buildProgram("QuietShader", write("q.vert", kFullScreenVert),
                                write("q.frag", solidFrag("1.0")));
    std::ostringstream log;
    program->printInfoLog(log);
    EXPECT_EQ(log.str(), "Info Log of QuietShader\nNO INFO AVAILABLE\n");
}

TEST_F(ShaderProgram, UniformLookup_KnownGivesLocation_UnusedOrUnknownRaises) {
    auto program = buildProgram("UniformShader", write("u.vert", kFullScreenVert),
                                write("u.frag", solidFrag("1.0")));
    // "tint" is read (times zero, which the compiler may still fold away), so only
    // check the names that are certainly absent.
    EXPECT_EQ(messageOf([&] { program->uniformLocation("unusedScale"); }),
              "Shader Uniform unusedScale is UNKNOWN");
    EXPECT_EQ(messageOf([&] { program->uniformLocation("noSuchUniform"); }),
              "Shader Uniform noSuchUniform is UNKNOWN");

    const std::string frag = write("t.frag",
                                   "#version 400\nuniform vec4 tint;\nout vec4 fragColour;\n"
                                   "void main() { fragColour = tint; }\n");
    auto tinted = buildProgram("TintShader", pathOf("u.vert"), frag);
    const GLint location = tinted->uniformLocation("tint");
    EXPECT_GE(location, 0);
    tinted->use();
    glUniform4f(location, 0.0f, 1.0f, 0.0f, 1.0f);
    const auto pixel = drawCentre(*tinted);
    EXPECT_EQ(pixel[0], 0);
    EXPECT_EQ(pixel[1], 255);
}

TEST_F(ShaderProgram, Registry_CountsLiveProgramsAndPrintsBanners) {
    const std::size_t before = GLutil::ProgramRegistry::count();
    std::string banners;
    {
        Capture out(std::cout);
        auto program = std::make_unique<GLutil::ShaderProgram>("BannerShader");
        EXPECT_EQ(GLutil::ProgramRegistry::count(), before + 1);
        GLutil::ProgramRegistry::printAll();
        program.reset();
        banners = out.text();
    }
    EXPECT_EQ(GLutil::ProgramRegistry::count(), before);
    const std::string dashes(50, '-');
    EXPECT_EQ(banners, dashes + "INIT SHADER PROG BannerShader\n" +
                           "used shader name:\nInfo Log of BannerShader\n" + "NO INFO AVAILABLE\n" +
                           dashes + "DELETE SHADER PROG BannerShader\n");
}

TEST_F(ShaderReload, BrokenEdit_KeepsOldShaderAndDrawing) {
    const std::string frag = write("reload.frag", solidFrag("1.0, 0.0, 0.0, 1.0"));
    auto program = buildProgram("ReloadShader", write("reload.vert", kFullScreenVert), frag);
    const GLuint before = program->shaders()[1]->id();
    write("reload.frag", kBrokenFrag);

    Capture out(std::cout);
    Capture err(std::cerr);
    EXPECT_NO_THROW(GLutil::ProgramRegistry::reloadAll());
    const std::string errors = err.text();
    EXPECT_TRUE(contains(
        errors, "Reload of " + frag + " failed because:\nInfo Log of Shader " + frag + ":\n"))
        << errors;
    EXPECT_TRUE(contains(errors, "undefinedThing")) << errors;
    EXPECT_TRUE(errors.ends_with("\nKeeping old shader\n")) << errors;
    EXPECT_TRUE(contains(out.text(), "Reloading ShaderProgram ReloadShader\n")) << out.text();
    EXPECT_EQ(program->shaders()[1]->id(), before);
    const auto pixel = drawCentre(*program);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_EQ(pixel[1], 0);
}

TEST_F(ShaderReload, LongerEditInPlace_IsPickedUpBySameShaderObject) {
    const std::string frag = write("grow.frag", solidFrag("1.0, 0.0, 0.0, 1.0"));
    auto program = buildProgram("GrowShader", write("grow.vert", kFullScreenVert), frag);
    const GLuint before = program->shaders()[1]->id();
    // Longer than before: the original mapping would end in the middle of it.
    write("grow.frag", solidFrag("0.0, 1.0, 0.0, 1.0", "// " + std::string(400, '#') + "\n"));

    Capture out(std::cout);
    GLutil::ProgramRegistry::reloadAll();
    EXPECT_TRUE(contains(out.text(), "Reloading Shader " + frag + "\n")) << out.text();
    EXPECT_EQ(program->shaders()[1]->id(), before);
    const auto pixel = drawCentre(*program);
    EXPECT_EQ(pixel[0], 0);
    EXPECT_EQ(pixel[1], 255);
}

TEST_F(ShaderReload, ReplacedFile_IsPickedUp) {
    const std::string frag = write("swap.frag", solidFrag("1.0, 0.0, 0.0, 1.0"));
    auto program = buildProgram("SwapShader", write("swap.vert", kFullScreenVert), frag);
    // A new file renamed over the old one, as editors save: a new inode.
    const std::string fresh = write("swap.frag.new", solidFrag("0.0, 0.0, 1.0, 1.0"));
    std::filesystem::rename(fresh, frag);

    Capture out(std::cout);
    GLutil::ProgramRegistry::reloadAll();
    const auto pixel = drawCentre(*program);
    EXPECT_EQ(pixel[0], 0);
    EXPECT_EQ(pixel[2], 255);
}

TEST_F(ShaderReload, FailingRelink_RaisesToTheCaller) {
    auto program = buildProgram("RelinkShader", write("link.vert", kFullScreenVert),
                                write("link.frag", solidFrag("1.0")));
    // Still compiles on its own, but calls a function that no stage defines.
    write("link.vert",
          "#version 400\nvoid helper();\nvoid main() { helper(); gl_Position = vec4(0.0); }\n");
    Capture out(std::cout);
    const std::string message = messageOf([] { GLutil::ProgramRegistry::reloadAll(); });
    EXPECT_EQ(message.rfind("Info Log of RelinkShader\n", 0), 0u) << message;
}

TEST_F(ShaderReload, ConstantSamplers_SurviveTheRelink) {
    // A relink resets every uniform to 0: without restoring, the shadow sampler would join
    // the colour sampler on unit 0 and the next draw would fail with GL_INVALID_OPERATION.
    const std::string frag =
        write("samplers.frag",
              "#version 400\nuniform sampler2D textureMap;\nuniform sampler2DShadow shadowMap;\n"
              "out vec4 fragColour;\nvoid main() {\n"
              "    fragColour = texture(textureMap, vec2(0.5)) + vec4(texture(shadowMap, "
              "vec3(0.5)));\n}\n");
    auto program = buildProgram("SamplerShader", write("samplers.vert", kFullScreenVert), frag);
    program->setConstant("textureMap", 0);
    program->setConstant("shadowMap", 3);
    program->setConstant("shadowMap", 4);
    GLutil::ShaderProgram::unuse();
    EXPECT_EQ(program->constants().size(), 2u);

    {
        Capture out(std::cout);
        GLutil::ProgramRegistry::reloadAll();
    }
    GLint textureUnit = -1, shadowUnit = -1, current = -1;
    glGetUniformiv(program->id(), program->uniformLocation("textureMap"), &textureUnit);
    glGetUniformiv(program->id(), program->uniformLocation("shadowMap"), &shadowUnit);
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(textureUnit, 0);
    EXPECT_EQ(shadowUnit, 4);
    EXPECT_EQ(current, 0) << "the relink leaves the caller's current program as it was";
    drawCentre(*program);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
