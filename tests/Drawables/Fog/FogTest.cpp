// The fog of war against a real context, reading its buffers back: the initial cloud (the
// C runtime's unseeded random source, four draws per particle, the level rising per
// column and wrapping), the movement pass (small steps that keep the cloud in its area and
// layer; a long frame moves nothing), the visibility pass (the ants' squares, against a CPU
// count), and the draw (holes stay empty; with the fog switched off nothing is drawn and
// nothing swaps).
#include "Drawables/Fog/Fog.h"
#include "GLTestContext.h"
#include "Shader/ShaderStore.h"
#include "Veltrix3D/RenderState.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using VX3D::Fog;

template <typename T>
std::vector<T> readBuffer(GLuint buffer) {
    std::vector<T> values(Fog::particleCount);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(values.size() * sizeof(T)), values.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return values;
}

float unitRandom() {
    return float(std::rand()) / float(RAND_MAX);
}

// Wrap-aware distance one movement pass took a particle.
float stepLength(const glm::vec4& from, const glm::vec4& to) {
    glm::vec3 d = glm::vec3(to - from);
    if (std::abs(d.x) > 10.0f) d.x -= std::copysign(20.0f, d.x);
    if (std::abs(d.z) > 6.5f) d.z -= std::copysign(13.0f, d.z);
    return glm::length(d);
}

// How far apart two ground points are along the larger of x and z: an ant sees a square.
float squareDistance(glm::vec2 a, glm::vec2 b) {
    return std::max(std::abs(a.x - b.x), std::abs(a.y - b.y));
}

float outsideLayer(float y, float maxHeight) {
    return y < 0.0f ? -y : (y > maxHeight ? y - maxHeight : 0.0f);
}

class FogTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        context = std::make_unique<VX3DTest::GLTestContext>(64, 64);
        std::filesystem::current_path(VX_GAME_DIR);
    }
    static void TearDownTestSuite() {
        testing::internal::CaptureStdout();
        GLutil::ShaderStore::purge();
        testing::internal::GetCapturedStdout();
        context.reset();
    }
    void SetUp() override {
        while (glGetError() != GL_NO_ERROR) {
        }
        VX3D::RenderState::fog = true;
    }
    void TearDown() override { VX3D::RenderState::fog = true; }

    static std::unique_ptr<Fog> makeFog(std::string* printed = nullptr) {
        testing::internal::CaptureStdout();
        auto fog = std::make_unique<Fog>(1.0f);
        const std::string out = testing::internal::GetCapturedStdout();
        if (printed) *printed = out;
        return fog;
    }

    static inline std::unique_ptr<VX3DTest::GLTestContext> context;
};

TEST_F(FogTest, InitialCloud_FromTheUnseededRandomSource_ColumnByColumn) {
    // The state an unseeded process starts in; draw what the constructor will draw.
    std::srand(1);
    std::vector<glm::vec4> r(Fog::particleCount);
    for (auto& four : r) {
        four.x = unitRandom();
        four.y = unitRandom();
        four.z = unitRandom();
        four.w = unitRandom();
    }
    std::srand(1);
    std::string printed;
    const auto fog = makeFog(&printed);
    EXPECT_EQ(printed.find("Init particles begin\n"), printed.rfind("Init particles begin\n"));
    EXPECT_NE(printed.find("Init particles begin\n"), std::string::npos);
    EXPECT_NE(printed.find("Init particles end\n"), std::string::npos);
    EXPECT_LT(printed.find("Init particles begin\n"), printed.find("Init particles end\n"));

    const auto a = readBuffer<glm::vec4>(fog->positionBuffer(0));
    const auto b = readBuffer<glm::vec4>(fog->positionBuffer(1));
    const auto colours = readBuffer<glm::vec4>(fog->colourBuffer());
    const auto visible = readBuffer<std::uint32_t>(fog->visibilityBuffer());
    EXPECT_EQ(a, b);
    EXPECT_EQ(fog->current, 0);

    std::vector<float> levels;  // one per column of 13 particles
    for (int n = 0; n < Fog::particleCount; ++n) {
        const int column = (n / 13) % 20, row = n % 13;
        const glm::vec4 p = a[std::size_t(n)];
        const glm::vec4 d = r[std::size_t(n)];
        ASSERT_FLOAT_EQ(p.z, float(-row) - d.x) << n;
        ASSERT_FLOAT_EQ(p.x, float(column) + d.z) << n;
        ASSERT_EQ(p.w, 1.0f) << n;
        const float t = d.w * 0.1f;
        ASSERT_EQ(colours[std::size_t(n)], glm::vec4(0.7f + t, 0.7f + t, 0.7f + t, 0.85f + t)) << n;
        ASSERT_EQ(visible[std::size_t(n)], 1u) << n;
        const float level = p.y - std::min((d.y - 0.5f) * 0.5f, 0.2f);
        if (row == 0)
            levels.push_back(level);
        else
            ASSERT_NEAR(level, levels.back(), 1e-6f)
                << "particle " << n << " left its column's level";
    }
    // The first 13 particles make column 0 at level 0; the level rises 0.005 a column and
    // starts again at 0 once it has passed 1.0.
    ASSERT_EQ(levels.size(), std::size_t((Fog::particleCount + 12) / 13));
    EXPECT_EQ(levels[0], 0.0f);
    int wraps = 0;
    for (std::size_t c = 1; c < levels.size(); ++c) {
        if (levels[c] == 0.0f) {
            ++wraps;
            EXPECT_GT(levels[c - 1] + 0.005f, 1.0f - 1e-4f) << "column " << c;
        } else {
            ASSERT_NEAR(levels[c] - levels[c - 1], 0.005f, 1e-4f) << "column " << c;
        }
        ASSERT_LE(levels[c], 1.0f + 1e-4f);
    }
    EXPECT_EQ(wraps, int(levels.size()) / 201);  // 201 columns per rise: 0, 0.005, ..., 1.0
}

TEST_F(FogTest, Movement_SmallStepsInsideTheAreaAndLayer_LongFrameMovesNothing) {
    const auto fog = makeFog();
    const auto start = readBuffer<glm::vec4>(fog->positionBuffer(0));

    // A frame longer than 0.05 s passes elapsedTime 0: the other buffer is an exact copy.
    VX3D::FrameClock clock(10.0);
    clock.update(10.06);
    EXPECT_EQ(Fog::stepFor(clock), 0.0f);
    fog->update(clock);
    EXPECT_EQ(fog->current, 0) << "update must leave the swap to the draw";
    EXPECT_EQ(readBuffer<glm::vec4>(fog->positionBuffer(1)), start);

    clock.update(clock.current + 1.0 / 60.0);
    EXPECT_FLOAT_EQ(Fog::stepFor(clock), 1.0f / 60.0f);
    fog->update(clock);
    const auto moved = readBuffer<glm::vec4>(fog->positionBuffer(1));
    int still = 0;
    for (std::size_t n = 0; n < moved.size(); ++n) {
        const float step = stepLength(start[n], moved[n]);
        ASSERT_LT(step, 0.01f) << n;  // well under a walk's worth in a frame
        still += step == 0.0f ? 1 : 0;
    }
    EXPECT_LT(still, Fog::particleCount / 100) << "the flow should move (nearly) every particle";

    // Ten seconds of frames: every particle stays in the 20 x 13 area, particles inside the
    // layer stay inside it, the rest only come nearer.
    std::vector<glm::vec4> before = start;
    for (int frame = 0; frame < 600; ++frame) {
        clock.update(clock.current + 1.0 / 60.0);
        fog->update(clock);
        fog->current = 1 - fog->current;  // as the draw would
    }
    const auto after = readBuffer<glm::vec4>(fog->positionBuffer(fog->current));
    for (std::size_t n = 0; n < after.size(); ++n) {
        const glm::vec4 p = after[n];
        ASSERT_TRUE(p.x >= 0.0f && p.x <= 20.0f && p.z >= -13.0f && p.z <= 0.0f) << n;
        ASSERT_EQ(p.w, 1.0f);
        ASSERT_LE(outsideLayer(p.y, 1.0f), outsideLayer(before[n].y, 1.0f)) << n;
    }
    EXPECT_NE(after, start);
}

TEST_F(FogTest, Visibility_ClearsExactlyTheParticlesWithinRangeOfEitherAnt) {
    const auto fog = makeFog();
    VX3D::FrameClock clock(1.0);
    clock.update(1.02);
    fog->update(clock);  // the pass reads the buffer the update wrote
    const glm::vec3 ant1(3.248f, 0.0f, -5.5f), ant2(15.5f, 0.7f, -9.5f);
    const float range = 2.6f;
    fog->updateVisible(ant1, ant2, range);

    const auto positions = readBuffer<glm::vec4>(fog->positionBuffer(1 - fog->current));
    const auto visible = readBuffer<std::uint32_t>(fog->visibilityBuffer());
    int expectedCleared = 0, cleared = 0;
    for (std::size_t n = 0; n < positions.size(); ++n) {
        const glm::vec2 p(positions[n].x, positions[n].z);
        const float d = std::min(squareDistance(p, glm::vec2(ant1.x, ant1.z)),
                                 squareDistance(p, glm::vec2(ant2.x, ant2.z)));
        cleared += visible[n] == 0u ? 1 : 0;
        if (std::abs(d - range) < 1e-4f) continue;  // too close to call in single precision
        const bool inRange = d < range;
        expectedCleared += inRange ? 1 : 0;
        ASSERT_EQ(visible[n], inRange ? 0u : 1u) << n << " at distance " << d;
    }
    // Two squares of side 5.2 over ~77 particles per cell: around 4100 cleared.
    EXPECT_GT(expectedCleared, 2500);
    EXPECT_NEAR(cleared, expectedCleared, 2);

    // A new pass recomputes every flag: the first ant's square comes back.
    fog->updateVisible(ant2, ant2, range);
    const auto again = readBuffer<std::uint32_t>(fog->visibilityBuffer());
    for (std::size_t n = 0; n < positions.size(); ++n) {
        const glm::vec2 p(positions[n].x, positions[n].z);
        if (squareDistance(p, glm::vec2(ant1.x, ant1.z)) < range - 1e-3f &&
            squareDistance(p, glm::vec2(ant2.x, ant2.z)) > range + 1e-3f) {
            ASSERT_EQ(again[n], 1u) << n;
        }
    }
}

TEST_F(FogTest, Draw_HolesStayEmpty_FogOffDrawsNothingAndKeepsTheBuffer) {
    const int size = 256;
    GLuint fbo = 0, colour = 0;
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glGenRenderbuffers(1, &colour);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, size, size);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    glViewport(0, 0, size, size);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);

    const auto fog = makeFog();
    // The whole field from straight above: x 0..20 across, z 0..-13 up the picture.
    const glm::vec3 centre(10.0f, 0.0f, -6.5f);
    const glm::mat4 mvp =
        glm::perspective(glm::radians(45.0f), 1.0f, 0.1f, 100.0f) *
        glm::lookAt(centre + glm::vec3(0.0f, 26.0f, 0.0f), centre, glm::vec3(0.0f, 0.0f, -1.0f));
    const glm::vec3 ant(5.5f, 0.0f, -6.5f);
    fog->updateVisible(ant, ant, 2.6f);
    const auto pixelAt = [&](const glm::vec3& world) {
        const glm::vec4 clip = mvp * glm::vec4(world, 1.0f);
        const int x = int((clip.x / clip.w * 0.5f + 0.5f) * size),
                  y = int((clip.y / clip.w * 0.5f + 0.5f) * size);
        const auto px = VX3DTest::readPixels(x, y, 1, 1);
        return glm::ivec3(px[0], px[1], px[2]);
    };

    VX3D::RenderState::fog = false;
    glClear(GL_COLOR_BUFFER_BIT);
    fog->draw(mvp);
    EXPECT_EQ(fog->current, 0);
    const auto blank = VX3DTest::readPixels(0, 0, size, size);
    for (std::size_t i = 0; i < blank.size(); i += 4)
        ASSERT_EQ(blank[i] + blank[i + 1] + blank[i + 2], 0)
            << "pixel " << i / 4 << " drawn with the fog off";

    VX3D::RenderState::fog = true;
    fog->draw(mvp);
    EXPECT_EQ(fog->current, 1);
    EXPECT_EQ(pixelAt(ant), glm::ivec3(0)) << "the ant's hole must stay clear";
    glm::ivec3 fogged(0);  // mean over a patch of the unknown field
    for (int i = 0; i < 25; ++i)
        fogged += pixelAt({13.0f + float(i % 5), 0.5f, -4.5f - float(i / 5)});
    fogged /= 25;
    EXPECT_GT(fogged.r, 60) << "the unknown field must be fogged";
    EXPECT_NEAR(fogged.r, fogged.b, 16) << "fog is a pale grey";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteRenderbuffers(1, &colour);
    glDeleteFramebuffers(1, &fbo);
}

}  // namespace
