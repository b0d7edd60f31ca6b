// The three model draws against a real context, through the renderer of the model
// preview tool (which builds the programs as the game does): the lit program colours
// the model and leaves the background, the flat program fills exactly the model's
// pixels with its colour, the depth program writes the shadow map; a program that
// lacks a uniform is named in the error; an unreadable model draws nothing; clips
// move pixels; a back-slash texture path loads on its own, and its '/' twin shares the
// texture and its pixels.
#include "Drawables/SceneObject/SceneObject.h"
#include "GLTestContext.h"
#include "PreviewRenderer.h"
#include "Shader/ShaderStore.h"
#include "TestModels.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using GLutil::drawableObjects::SceneObject;
using GLutil::drawableObjects::SceneObjectOpt;
using VX3DPreview::ModelKind;
using VX3DPreview::Pass;
using VX3DPreview::PreviewRenderer;

namespace {

constexpr int kSize = 160;
const std::uint8_t kBackground[3] = {158, 189, 219};  // the renderer's clear colour

bool isBackground(const std::vector<std::uint8_t>& rgba, std::size_t pixel) {
    for (int c = 0; c < 3; ++c)
        if (std::abs(int(rgba[pixel * 4 + c]) - int(kBackground[c])) > 1) return false;
    return true;
}

std::size_t coverage(const std::vector<std::uint8_t>& rgba) {
    std::size_t n = 0;
    for (std::size_t p = 0; p < rgba.size() / 4; ++p) n += isBackground(rgba, p) ? 0 : 1;
    return n;
}

class ModelDraw : public testing::Test {
protected:
    static void SetUpTestSuite() {
        context = std::make_unique<VX3DTest::GLTestContext>();
        std::filesystem::current_path(VX_GAME_DIR);
        testing::internal::CaptureStdout();
        try {
            renderer = std::make_unique<PreviewRenderer>(kSize, kSize);
        } catch (const std::exception& e) {
            const std::string out = testing::internal::GetCapturedStdout();
            ADD_FAILURE() << "building the model programs failed: " << e.what() << "\n" << out;
            return;
        }
        testing::internal::GetCapturedStdout();
    }
    void SetUp() override {
        if (!renderer) GTEST_SKIP() << "no model programs";
    }
    static void TearDownTestSuite() {
        testing::internal::CaptureStdout();
        renderer.reset();
        GLutil::ShaderStore::purge();
        testing::internal::GetCapturedStdout();
        context.reset();
    }
    static SceneObject quietLoad(const std::string& path) {
        testing::internal::CaptureStdout();
        SceneObject m = PreviewRenderer::loadModel(path);
        testing::internal::GetCapturedStdout();
        return m;
    }
    static VX3DPreview::View bare() {
        VX3DPreview::View v;
        v.ground = false;
        return v;
    }

    static inline std::unique_ptr<VX3DTest::GLTestContext> context;
    static inline std::unique_ptr<PreviewRenderer> renderer;
};

}  // namespace

TEST_F(ModelDraw, LitProgram_ColoursTheModelOnly) {
    SceneObject food = quietLoad("./res/Food.DAE");
    renderer->render(food, ModelKind::Plain, -1, 0.0, bare(), Pass::Lit);
    const auto& colour = renderer->colourTarget();
    EXPECT_TRUE(isBackground(colour, 0));
    EXPECT_TRUE(isBackground(colour, kSize * kSize - 1));
    // The middle of the picture is strawberry: red, lit, not black.
    const std::size_t centre = (kSize / 2) * kSize + kSize / 2;
    const int r = colour[centre * 4], g = colour[centre * 4 + 1];
    EXPECT_GT(r, 90);
    EXPECT_GT(r, 2 * g);
    EXPECT_GT(coverage(colour), std::size_t(kSize * kSize / 10));
    EXPECT_LT(renderer->depthTarget()[centre], 1.0f);
    EXPECT_EQ(renderer->depthTarget()[0], 1.0f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(ModelDraw, SolidProgram_FlatColourOnTheSamePixelsAsLit) {
    SceneObject ant = quietLoad("res/AntAnim1.DAE");
    renderer->render(ant, ModelKind::Ant, -1, 0.0, bare(), Pass::Solid);
    const auto solid = renderer->colourTarget();
    std::size_t modelPixels = 0;
    for (std::size_t p = 0; p < solid.size() / 4; ++p) {
        if (isBackground(solid, p)) continue;
        ++modelPixels;
        ASSERT_EQ(solid[p * 4], 255);
        ASSERT_EQ(solid[p * 4 + 1], 217);
        ASSERT_EQ(solid[p * 4 + 2], 51);
    }
    EXPECT_GT(modelPixels, 500u);
    // Tessellation keeps the winding, so the culled faces are the same in both programs.
    renderer->render(ant, ModelKind::Ant, -1, 0.0, bare(), Pass::Lit);
    const std::size_t litPixels = coverage(renderer->colourTarget());
    EXPECT_NEAR(double(litPixels), double(modelPixels), 0.03 * double(modelPixels));
}

TEST_F(ModelDraw, ShadowProgram_WritesDepthWhereTheModelIs) {
    SceneObject portal = quietLoad("./res/Portal.DAE");
    renderer->render(portal, ModelKind::Portal, -1, 0.0, bare(), Pass::Lit);
    const auto& depth = renderer->shadowDepth();
    const int n = PreviewRenderer::shadowSize;
    EXPECT_EQ(depth[0], 1.0f);
    EXPECT_EQ(depth[std::size_t(n) * n - 1], 1.0f);
    std::size_t written = 0;
    for (float d : depth) written += d < 1.0f ? 1 : 0;
    EXPECT_GT(written, std::size_t(n * n / 100));
    // The see-through cone still casts a shadow where its texels are dense, and the
    // lit pass reads that map: some ground-free model pixels are masked.
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(ModelDraw, ClipsMoveThePicture) {
    SceneObject ant = quietLoad("res/AntAnim1B.DAE");
    renderer->render(ant, ModelKind::Ant, 1, 0.0, bare(), Pass::Solid);
    const auto first = renderer->colourTarget();
    renderer->render(ant, ModelKind::Ant, 1, 0.3, bare(), Pass::Solid);
    const auto later = renderer->colourTarget();
    std::size_t changed = 0;
    for (std::size_t p = 0; p < first.size() / 4; ++p)
        changed += isBackground(first, p) != isBackground(later, p);
    EXPECT_GT(changed, 50u);
}

TEST_F(ModelDraw, ProgramWithoutTheUniforms_ErrorNamesTheUniform) {
    SceneObject food = quietLoad("./res/Food.DAE");
    VX3D::FrameClock clock(0.0);
    renderer->solidProgram->use();
    try {
        food.draw(glm::mat4(1.0f), glm::mat4(1.0f), glm::vec3(0.0f), false, {}, clock,
                  *renderer->solidProgram, nullptr);
        FAIL() << "expected the unknown uniform";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "Shader Uniform modelMatrix is UNKNOWN");
    }
    GLutil::ShaderProgram::unuse();
    while (glGetError() != GL_NO_ERROR) {
    }
}

TEST_F(ModelDraw, UnreadableModel_DrawsNothing) {
    testing::internal::CaptureStdout();
    SceneObject missing(SceneObjectOpt{"res/NoSuchModel.DAE", glm::mat4(1.0f)});
    missing.genVAO(0, 1, 2);
    testing::internal::GetCapturedStdout();
    renderer->render(missing, ModelKind::Plain, 0, 1.0, bare(), Pass::Lit);
    EXPECT_EQ(coverage(renderer->colourTarget()), 0u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(ModelDraw, GenVAO_PatchesWithEveryAttribute_ThenLetsGoOfWhatTheBuffersHold) {
    testing::internal::CaptureStdout();
    SceneObject food(GLutil::drawableObjects::SceneObjectOpt{"./res/Food.DAE", glm::mat4(1.0f)});
    testing::internal::GetCapturedStdout();
    const auto indices = food.indices.size();
    ASSERT_GT(indices, 0u);
    food.genVAO(0, 1, 2);
    ASSERT_NE(food.mesh, nullptr);
    EXPECT_EQ(food.mesh->mode, GLenum(GL_PATCHES));
    EXPECT_EQ(food.mesh->indexCount(), GLint(indices));
    EXPECT_TRUE(food.indices.empty() && food.normals.empty() && food.texCoords.empty());
    EXPECT_FALSE(food.positions.empty());  // bounding boxes are measured from them
    EXPECT_EQ(food.mesh->indexType(), GLenum(GL_UNSIGNED_INT));
    EXPECT_EQ(food.mesh->buffers().size(), 3u);
    EXPECT_EQ(food.mesh->buffers().count(2), 1u);
}

TEST_F(ModelDraw, TextureCache_BackSlashPathLoadsAlone_TwinsShareTextureAndPixels) {
    using namespace SceneObjectTest;
    auto model = [](const std::string& texturePath) {
        return document(triangleGeometry("T-mesh", "0 0 0", "1 0 0", "0 1 0"), node("T", "T-mesh"),
                        "", texturedPhong(), textureParams(), image(texturePath));
    };
    const std::string forward = writeScratch("forward.DAE", model("res/Models/AntSkin.png"));
    const std::string backward = writeScratch("backward.DAE", model("res\\Models\\AntSkin.png"));
    const std::size_t before = GLutil::TextureCache::size();
    {
        testing::internal::CaptureStdout();
        // The back-slash spelling first, with no twin in the cache: it must find the file itself.
        SceneObject b(SceneObjectOpt{backward, glm::mat4(1.0f)});
        SceneObject a(SceneObjectOpt{forward, glm::mat4(1.0f)});
        const std::string out = testing::internal::GetCapturedStdout();
        ASSERT_TRUE(b.texture.loaded()) << out;
        ASSERT_TRUE(a.texture.loaded());
        EXPECT_EQ(a.texture.id(), b.texture.id());
        EXPECT_EQ(b.texture.width(), 256u);
        // A cache hit shares the decoded pixels instead of copying them.
        EXPECT_EQ(&a.texture.pixels(), &b.texture.pixels());
        EXPECT_NE(out.find("texopt cmp 1\n"), std::string::npos) << out;
        EXPECT_NE(out.find("Image Information res/Models/AntSkin.png"), std::string::npos) << out;
        EXPECT_EQ(GLutil::TextureCache::size(), before + 1);
    }
    // Nobody holds it any more: the cache lets it go.
    EXPECT_EQ(GLutil::TextureCache::size(), before);
}

TEST_F(ModelDraw, MissingMaterialTexture_ErrorNamesTextureMaterialAndModel) {
    using namespace SceneObjectTest;
    const std::string path = writeScratch(
        "missingtexture.DAE",
        document(triangleGeometry("T-mesh", "0 0 0", "1 0 0", "0 1 0"), node("T", "T-mesh"), "",
                 texturedPhong(), textureParams(), image("res/Models/NoSuchSkin.png")));
    testing::internal::CaptureStdout();
    try {
        SceneObject model(SceneObjectOpt{path, glm::mat4(1.0f)});
        testing::internal::GetCapturedStdout();
        FAIL() << "expected the texture error";
    } catch (const std::logic_error& e) {
        testing::internal::GetCapturedStdout();
        const std::string what = e.what();
        EXPECT_EQ(what.rfind("decoding png res/Models/NoSuchSkin.png gave error: ", 0), 0u) << what;
        EXPECT_NE(what.find("material TestMaterial"), std::string::npos) << what;
        EXPECT_NE(what.find(path), std::string::npos) << what;
    }
}
