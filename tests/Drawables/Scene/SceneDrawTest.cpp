// The scene drawables drawn for real into a three-output target and read back: the floor
// is green and outlined in red, its shadow term is 0 under a caster and 1 in the open, it
// stands on the heights of its image; the sun keeps its score balance and draws its disc
// where it is; the sky ignores where the eye is; the mountains skip a piece behind the
// camera.
#include "Drawables/Environment/Environment.h"
#include "Drawables/Floor/Floor.h"
#include "Drawables/Skybox/Skybox.h"
#include "Drawables/Sun/Sun.h"
#include "Drawables/ViewVolume/ViewVolume.h"
#include "FBO/FBO.h"
#include "GLTestContext.h"
#include "Shader/ShaderStore.h"
#include "Veltrix3D/RenderState.h"

#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <lodepng.h>

#include <array>
#include <filesystem>
#include <memory>
#include <sstream>

using VX3D::RenderState;

namespace {

constexpr int kSize = 96;

struct Pixel {
    int r, g, b, a;
};

class SceneDraw : public testing::Test {
protected:
    static void SetUpTestSuite() {
        context = std::make_unique<VX3DTest::GLTestContext>();
        std::filesystem::current_path(VX_GAME_DIR);
        // The state the game's render state pushes at start-up, which the cache assumes.
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CW);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        testing::internal::CaptureStdout();
        target = std::make_unique<GLutil::FBO>(kSize, kSize, false);
        target->attatchDepthBuffer();
        for (GLenum a : {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2})
            target->attatchTexture(GL_RGBA8, GL_RGBA, a);
        sun = std::make_unique<VX3D::Sun>(10);
        floor = std::make_unique<VX3D::Floor>(20, 13);
        testing::internal::GetCapturedStdout();
    }
    static void TearDownTestSuite() {
        testing::internal::CaptureStdout();
        floor.reset();
        sun.reset();
        target.reset();
        GLutil::ShaderStore::purge();
        testing::internal::GetCapturedStdout();
        context.reset();
    }
    void SetUp() override {
        RenderState::tessellation = true;
        RenderState::frustumCulling = true;
    }

    // Binds the three-output target and clears it to transparent black.
    static void begin() {
        glBindFramebuffer(GL_FRAMEBUFFER, target->id());
        const GLenum buffers[3] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1,
                                   GL_COLOR_ATTACHMENT2};
        glDrawBuffers(3, buffers);
        GLutil::FBO::checkStatus();
        glViewport(0, 0, kSize, kSize);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    // Output `index` of the target, bottom row first.
    static std::vector<unsigned char> output(int index) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, target->id());
        glReadBuffer(GL_COLOR_ATTACHMENT0 + static_cast<GLenum>(index));
        auto px = VX3DTest::readPixels(0, 0, kSize, kSize);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        return px;
    }
    static Pixel at(const std::vector<unsigned char>& px, glm::ivec2 p) {
        const std::size_t i =
            (static_cast<std::size_t>(p.y) * kSize + static_cast<std::size_t>(p.x)) * 4;
        return {px[i], px[i + 1], px[i + 2], px[i + 3]};
    }
    // The pixel that shows world point w.
    static glm::ivec2 pixelOf(const glm::mat4& viewProjection, glm::vec3 w) {
        const glm::vec4 c = viewProjection * glm::vec4(w, 1.0f);
        const glm::vec2 ndc = glm::vec2(c) / c.w;
        return glm::ivec2((ndc * 0.5f + 0.5f) * static_cast<float>(kSize));
    }
    static glm::mat4 projection() {
        return glm::perspective(glm::radians(45.0f), 1.0f, 0.1f, 100.0f);
    }

    inline static std::unique_ptr<VX3DTest::GLTestContext> context;
    inline static std::unique_ptr<GLutil::FBO> target;
    inline static std::unique_ptr<VX3D::Sun> sun;
    inline static std::unique_ptr<VX3D::Floor> floor;
};

// The floor seen from straight above its middle.
const glm::vec3 kAboveEye{10.0f, 30.0f, -6.4f};
const glm::mat4 kAboveView =
    glm::lookAt(kAboveEye, glm::vec3(10.0f, 0.0f, -6.5f), glm::vec3(0.0f, 1.0f, 0.0f));

}  // namespace

TEST_F(SceneDraw, Sun_ScoreBalanceMovesTheLightAndTintsTheDisc) {
    VX3D::Sun s(10);
    testing::internal::CaptureStdout();
    for (int player : {0, 0, 0, 1}) s.scoreChanged(player);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "ScoreBalance: -1\nScoreBalance: -2\nScoreBalance: -3\nScoreBalance: -2\n");
    EXPECT_EQ(s.balance, -2);
    EXPECT_NEAR(s.position.x, 9.8f, 1e-5f);
    EXPECT_EQ(s.dominantColor(), glm::vec4(1.0f, 0.0f, 0.0f, 0.2f));
    s.balance = 3;
    EXPECT_EQ(s.dominantColor(), glm::vec4(0.0f, 0.0f, 1.0f, 0.3f));
    s.balance = 0;
    EXPECT_EQ(s.dominantColor(), glm::vec4(0.0f));
}

TEST_F(SceneDraw, Sun_LightLooksStraightDownOverTheWholeField) {
    const glm::mat4 light = sun->lightMatrix();
    const auto ndc = [&](glm::vec3 w) {
        const glm::vec4 c = light * glm::vec4(w, 1.0f);
        return glm::vec3(c) / c.w;
    };
    EXPECT_LT(glm::length(glm::vec2(ndc({10.0f, 0.0f, -6.5f}))),
              1e-5f);  // the point below is the map's centre
    EXPECT_LT(glm::length(glm::vec2(ndc({10.0f, -3.0f, -6.5f}))), 1e-5f);
    for (glm::vec3 corner :
         {glm::vec3(0, 0, 0), glm::vec3(20, 0, 0), glm::vec3(20, 0, -13), glm::vec3(0, 0, -13)}) {
        const glm::vec3 p = ndc(corner);
        EXPECT_TRUE(std::abs(p.x) < 1.0f && std::abs(p.y) < 1.0f && std::abs(p.z) < 1.0f)
            << corner.x << "," << corner.z;
    }
    const VX3D::Sun::Disc disc = VX3D::Sun::discMesh();
    ASSERT_EQ(disc.positions.size(), 50u);
    EXPECT_LT(glm::distance(disc.positions[1], disc.positions[49]),
              1e-6f);  // the last rim point closes the fan
}

TEST_F(SceneDraw, Sun_DiscIsDrawnAtTheLightsPosition) {
    const glm::vec3 eye{4.0f, 3.0f, 2.0f};
    const glm::mat4 view =
        glm::lookAt(eye, sun->position + glm::vec3(2.0f, 0.0f, 0.0f), glm::vec3(0, 1, 0));
    begin();
    sun->draw(view, projection());
    const auto colour = output(0), mask = output(1);
    const glm::ivec2 centre = pixelOf(projection() * view, sun->position);
    ASSERT_TRUE(centre.x > 4 && centre.x < kSize - 4 && centre.y > 4 && centre.y < kSize - 4);
    EXPECT_GT(at(colour, centre).r, 200);
    EXPECT_EQ(at(mask, centre).r, 255);
    // The disc is a few pixels wide: the far side of the target stays empty.
    EXPECT_EQ(at(colour, {kSize - 2 - centre.x / 2, kSize - 2 - centre.y / 2}).a, 0);
    EXPECT_TRUE(RenderState::cullFaceEnabled);
}

TEST_F(SceneDraw, Sky_TurnsWithTheCameraButIgnoresWhereTheEyeIs) {
    testing::internal::CaptureStdout();
    VX3D::Skybox sky("res/Textures/CubeMap.png");
    testing::internal::GetCapturedStdout();
    const auto render = [&](glm::vec3 eye, glm::vec3 direction) {
        begin();
        sky.draw(glm::lookAt(eye, eye + direction, glm::vec3(0, 1, 0)), projection());
        return output(0);
    };
    // Directions and eyes exact in binary, so both views turn exactly alike.
    const auto here = render({0, 0, 0}, {0.25f, 0.125f, -1.0f});
    EXPECT_EQ(render({7.0f, 3.0f, -12.0f}, {0.25f, 0.125f, -1.0f}), here);
    EXPECT_NE(render({0, 0, 0}, {1.0f, 0.125f, 0.25f}), here);
    EXPECT_EQ(at(here, {kSize / 2, kSize / 2}).a, 255);  // the sky covers the whole target
    EXPECT_TRUE(RenderState::depthTestEnabled && RenderState::cullFaceEnabled);
}

// The sky is cut from the cross into a cube map when it loads; every side must still show the
// cell of the cross, turned the way, that the cube's corners put there. The expectation is
// found as the cube was once drawn: the ray through a pixel hits one of the corner quads'
// triangles, whose uv, interpolated, names a texel of the cross.
TEST_F(SceneDraw, Sky_EverySideShowsItsCellOfTheCrossTurnedAsTheCornersSay) {
    // Every texel of this cross says where it lies: red across, green down, blue by cell, so
    // a cell shown turned, mirrored or on the wrong side cannot pass.
    const unsigned w = 64, h = 48;
    std::vector<unsigned char> cross(std::size_t(w) * h * 4);
    for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; ++x) {
            unsigned char* p = &cross[(std::size_t(y) * w + x) * 4];
            p[0] = static_cast<unsigned char>(x * 4);
            p[1] = static_cast<unsigned char>(y * 5);
            p[2] = static_cast<unsigned char>((x / 16 + 4 * (y / 16)) * 20);
            p[3] = 255;
        }
    const auto path = std::filesystem::temp_directory_path() / "vx-sky-cross.png";
    ASSERT_EQ(lodepng::encode(path.string(), cross, w, h), 0u);
    testing::internal::CaptureStdout();
    VX3D::Skybox sky(path.string());
    testing::internal::GetCapturedStdout();
    std::filesystem::remove(path);
    const auto crossAt = [&](glm::dvec3 d) -> Pixel {
        const auto& v = VX3D::Skybox::vertices;
        for (std::size_t q = 0; q < v.size(); q += 4)
            for (auto [a, b, c] : {std::array{q, q + 1, q + 2}, std::array{q, q + 2, q + 3}}) {
                const glm::dvec3 pa = v[a].position, e1 = glm::dvec3(v[b].position) - pa,
                                 e2 = glm::dvec3(v[c].position) - pa;
                const glm::dvec3 n = glm::cross(e1, e2);
                const double t = glm::dot(pa, n) / glm::dot(d, n);
                if (!(t > 0.0)) continue;
                const glm::dvec3 r = t * d - pa;  // barycentric coordinates of the hit
                const double d11 = glm::dot(e1, e1), d12 = glm::dot(e1, e2), d22 = glm::dot(e2, e2);
                const double r1 = glm::dot(r, e1), r2 = glm::dot(r, e2),
                             den = d11 * d22 - d12 * d12;
                const double beta = (d22 * r1 - d12 * r2) / den,
                             gamma = (d11 * r2 - d12 * r1) / den;
                if (beta < -1e-9 || gamma < -1e-9 || beta + gamma > 1 + 1e-9) continue;
                const glm::dvec2 uv = glm::dvec2(v[a].uv) + beta * glm::dvec2(v[b].uv - v[a].uv) +
                                      gamma * glm::dvec2(v[c].uv - v[a].uv);
                const auto x = std::min(w - 1, unsigned(uv.x * w)),
                           y = std::min(h - 1, unsigned(uv.y * h));
                const unsigned char* p = &cross[(std::size_t(y) * w + x) * 4];
                return {p[0], p[1], p[2], p[3]};
            }
        ADD_FAILURE() << "no quad hit";
        return {};
    };
    // The six sides, and views across edges and corners where a turned or mirrored cell shows.
    for (glm::vec3 direction :
         {glm::vec3(1, 0, 0), glm::vec3(-1, 0, 0), glm::vec3(0, 0, 1), glm::vec3(0, 0, -1),
          glm::vec3(0.6f, 0.8f, 0.3f), glm::vec3(-0.3f, -0.9f, 0.5f), glm::vec3(0.9f, 0.3f, -0.8f),
          glm::vec3(-0.7f, 0.5f, -0.9f)}) {
        SCOPED_TRACE(testing::Message() << direction.x << "," << direction.y << "," << direction.z);
        const glm::mat4 sky_vp = VX3D::Skybox::skyMatrix(
            glm::lookAt(glm::vec3(0), direction, glm::vec3(0, 1, 0.01f)), projection());
        begin();
        sky.draw(glm::lookAt(glm::vec3(0), direction, glm::vec3(0, 1, 0.01f)), projection());
        const auto colour = output(0);
        const glm::mat4 back = glm::inverse(sky_vp);
        for (glm::ivec2 px : {glm::ivec2(kSize / 2), glm::ivec2(10, 20), glm::ivec2(80, 70)}) {
            const glm::vec2 ndc = (glm::vec2(px) + 0.5f) / float(kSize) * 2.0f - 1.0f;
            const glm::vec4 far = back * glm::vec4(ndc, 1.0f, 1.0f);
            const Pixel expected = crossAt(glm::dvec3(glm::vec3(far) / far.w));
            const Pixel shown = at(colour, px);
            // Linear filtering blends a texel with its neighbours: at most one step apart.
            EXPECT_NEAR(shown.r, expected.r, 5) << px.x << "," << px.y;
            EXPECT_NEAR(shown.g, expected.g, 6) << px.x << "," << px.y;
            EXPECT_EQ(shown.b, expected.b) << px.x << "," << px.y;
        }
    }
}

TEST_F(SceneDraw, Floor_GreenGrassRedOutline_WithAndWithoutTessellation) {
    const glm::mat4 vp = projection() * kAboveView;
    for (bool tessellation : {true, false}) {
        SCOPED_TRACE(tessellation ? "tessellation on" : "tessellation off");
        RenderState::tessellation = tessellation;
        begin();
        floor->draw(vp, kAboveEye, *sun, nullptr);
        const auto colour = output(0), mask = output(1);
        const Pixel grass = at(colour, pixelOf(vp, {6.3f, 0.0f, -4.2f}));
        EXPECT_GT(grass.g, grass.r + 15);
        EXPECT_GT(grass.g, grass.b + 15);
        EXPECT_EQ(at(mask, pixelOf(vp, {6.3f, 0.0f, -4.2f})).r, 255);  // no shadow map: lit
        // Somewhere across the field's left border the outline shows red.
        const glm::ivec2 border = pixelOf(vp, {0.0f, 0.0f, -6.5f});
        int reddest = 0;
        for (int dx = -2; dx <= 2; ++dx) {
            const Pixel p = at(colour, {border.x + dx, border.y});
            if (p.g < 60 && p.b < 60) reddest = std::max(reddest, p.r);
        }
        EXPECT_GT(reddest, 200);
        EXPECT_EQ(at(colour, pixelOf(vp, {-1.0f, 0.0f, -6.5f})).a, 0);  // nothing beyond the field
    }
}

TEST_F(SceneDraw, Floor_ShadowTermIsZeroUnderACasterAndOneInTheOpen) {
    testing::internal::CaptureStdout();
    GLutil::FBO shadowTarget(3000, 2000, false);
    shadowTarget.attatchTexture(GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, GL_DEPTH_ATTACHMENT);
    GLutil::ShaderProgram caster("TestCasterShader");
    for (const char* f : {"Shader/shadow.vert", "Shader/shadow.tesC", "Shader/shadow.tesE",
                          "Shader/shadow.geom", "Shader/shadow.frag"})
        caster.attatch(GLutil::ShaderStore::getShader(f));
    caster.bindAttributeLocation(0, "vertex");
    caster.bindAttributeLocation(2, "UV");
    caster.link();
    testing::internal::GetCapturedStdout();
    // A 2 x 2 board floating 2 units over the field's middle, right under the sun.
    GLutil::DrawableVAO board;
    board.mode = GL_PATCHES;
    board.addBuffer(0,
                    std::vector<glm::vec4>{
                        {9, 2, -5.5f, 1}, {11, 2, -5.5f, 1}, {11, 2, -7.5f, 1}, {9, 2, -7.5f, 1}});
    board.addBuffer(2, std::vector<glm::vec2>{{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    board.setIndices(std::vector<std::uint8_t>{0, 1, 2, 0, 2, 3});

    glBindFramebuffer(GL_FRAMEBUFFER, shadowTarget.id());
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    glViewport(0, 0, 3000, 2000);
    glClear(GL_DEPTH_BUFFER_BIT);
    floor->drawShadow(sun->lightMatrix(), kAboveEye);
    caster.use();
    glUniformMatrix4fv(caster.uniformLocation("mvpMatrix"), 1, GL_FALSE,
                       glm::value_ptr(sun->lightMatrix()));
    glUniform1i(caster.uniformLocation("doTesselation"), 0);
    glUniform1i(caster.uniformLocation("hasDisplacement"), 0);
    glUniform1i(caster.uniformLocation("hasTexture"), 0);
    RenderState::setCullFace(false);
    board.draw();
    RenderState::setCullFace(true);
    GLutil::ShaderProgram::unuse();
    shadowTarget.finish(true);

    const glm::mat4 vp = projection() * kAboveView;
    begin();
    floor->draw(vp, kAboveEye, *sun, shadowTarget.getTexture(0));
    const auto mask = output(1), colour = output(0);
    EXPECT_LT(at(mask, pixelOf(vp, {10.0f, 0.0f, -6.5f})).r, 30);
    EXPECT_GT(at(mask, pixelOf(vp, {3.5f, 0.0f, -3.5f})).r, 225);
    EXPECT_GT(at(mask, pixelOf(vp, {17.0f, 0.0f, -10.5f})).r, 225);
    // Output 0 keeps the lit colour: the frame darkens it, not the floor.
    const Pixel under = at(colour, pixelOf(vp, {10.0f, 0.0f, -6.5f}));
    EXPECT_GT(under.g, 60);
}

TEST_F(SceneDraw, Floor_StandsOnTheHeightsOfItsImage) {
    std::vector<unsigned char> rgba;
    unsigned w = 0, h = 0;
    ASSERT_EQ(lodepng::decode(rgba, w, h, "res/Textures/displacement_map3.png"), 0u);
    for (glm::vec3 p : {glm::vec3(0.5f, 0.0f, -0.5f), glm::vec3(3.02f, 0.0f, -7.9f),
                        glm::vec3(19.99f, 0.0f, -12.001f)}) {
        const float fx = p.x - std::floor(p.x), fz = -p.z - std::floor(-p.z);
        const std::size_t column = static_cast<std::size_t>(fx * static_cast<float>(w));
        const std::size_t row = static_cast<std::size_t>(fz * static_cast<float>(h));
        const unsigned char* px = &rgba[(row * w + column) * 4];
        const float r = px[0] / 255.0f, g = px[1] / 255.0f, b = px[2] / 255.0f;
        EXPECT_FLOAT_EQ(floor->groundHeight(p), std::sqrt(r * r + g * g + b * b) / 6.0f)
            << p.x << "," << p.z;
    }
    EXPECT_GT(floor->groundHeight({0.5f, 0.0f, -0.5f}), 0.02f);  // the relief is not flat
}

TEST_F(SceneDraw, Mountains_PieceBehindTheCameraIsNotDrawn) {
    testing::internal::CaptureStdout();
    VX3D::Environment mountains(0);
    testing::internal::GetCapturedStdout();
    // In the field's middle, looking along +x: the strip at x -4..0 lies behind.
    const glm::vec3 eye{10.0f, 2.0f, -6.5f};
    const glm::mat4 vp =
        projection() * glm::lookAt(eye, glm::vec3(20.0f, 1.0f, -6.5f), glm::vec3(0, 1, 0));
    VX3D::extractPlanes(vp);
    GLuint query = 0;
    glGenQueries(1, &query);
    const auto patchesSent = [&] {
        begin();
        glBeginQuery(GL_PRIMITIVES_SUBMITTED_ARB, query);
        mountains.draw(vp, eye, *sun, nullptr);
        glEndQuery(GL_PRIMITIVES_SUBMITTED_ARB);
        GLuint n = 0;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &n);
        return n;
    };
    const GLuint culled = patchesSent();
    EXPECT_LT(mountains.piecesDrawn(), 10);
    RenderState::frustumCulling = false;
    const GLuint all = patchesSent();
    EXPECT_EQ(mountains.piecesDrawn(), 10);
    EXPECT_LT(culled, all);
    // The strip straight ahead is drawn either way.
    const auto colour = output(0);
    EXPECT_EQ(at(colour, pixelOf(vp, {22.0f, 1.0f, -6.5f})).a, 255);
    glDeleteQueries(1, &query);
}
