// The models the game ships: each loads without error faces, small enough to draw
// fast, with the nodes and the four clips the game plays ("Cone001" in the portal),
// the ant upright and facing +x under the game's placement, and clips that really
// move the legs. The textures they name are loaded, so this needs a context.
#include "Drawables/SceneObject/SceneObject.h"
#include "GLTestContext.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using GLutil::drawableObjects::SceneObject;
using GLutil::drawableObjects::SceneObjectOpt;

namespace {

std::size_t triangles(const SceneObject& n) {
    std::size_t t = n.indices.size() / 3;
    for (const auto& c : n.children) t += triangles(c);
    return t;
}

const glm::mat4 kAntPlacement =
    glm::rotate(glm::mat4(1.0f), glm::radians(180.0f), glm::vec3(0, 0, 1)) *
    glm::scale(glm::mat4(1.0f), glm::vec3(0.2f));

class ShippedModels : public testing::Test {
protected:
    static void SetUpTestSuite() {
        context = std::make_unique<VX3DTest::GLTestContext>();
        std::filesystem::current_path(VX_GAME_DIR);
    }
    static void TearDownTestSuite() { context.reset(); }

    static SceneObject load(const std::string& path, const glm::mat4& placement, std::string& out) {
        testing::internal::CaptureStdout();
        SceneObject m(SceneObjectOpt{path, placement});
        out = testing::internal::GetCapturedStdout();
        return m;
    }

    static inline std::unique_ptr<VX3DTest::GLTestContext> context;
};

void expectCleanLoad(const std::string& out, const std::string& path) {
    EXPECT_NE(out.find("Import result: No Error\n"), std::string::npos) << path;
    EXPECT_EQ(out.find("Damn dieses face"), std::string::npos) << path;
    const std::string finished = "finished with ";
    int meshes = 0;
    for (auto p = out.find(finished); p != std::string::npos; p = out.find(finished, p + 1)) {
        const auto start = p + finished.size();
        EXPECT_EQ(out.substr(start, out.find(' ', start) - start), "0") << path;
        ++meshes;
    }
    EXPECT_GT(meshes, 0) << path;
}

// Every clip c must have keys at its start (c * 7/3) and end (+2).
void expectFourClips(const SceneObject& node) {
    ASSERT_FALSE(node.channels.empty()) << node.name;
    const auto& keys = node.channels.front().rotations;
    for (int c = 0; c < 4; ++c) {
        const double start = c * 7.0 / 3.0;
        EXPECT_TRUE(keys.lower_bound(start - 1e-4) != keys.end() &&
                    keys.lower_bound(start - 1e-4)->first < start + 1e-4)
            << node.name << " clip " << c;
        EXPECT_TRUE(keys.lower_bound(start + 2.0 - 1e-4) != keys.end() &&
                    keys.lower_bound(start + 2.0 - 1e-4)->first < start + 2.0 + 1e-4)
            << node.name << " clip " << c;
    }
}

float maxDifference(const glm::mat4& a, const glm::mat4& b) {
    float d = 0.0f;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) d = std::max(d, std::abs(a[i][j] - b[i][j]));
    return d;
}

}  // namespace

TEST_F(ShippedModels, Ants_LoadCleanWithEveryPart) {
    for (const std::string path : {"res/AntAnim1.DAE", "res/AntAnim1B.DAE"}) {
        std::string out;
        const SceneObject ant = load(path, kAntPlacement, out);
        ASSERT_TRUE(ant.valid()) << path;
        expectCleanLoad(out, path);
        EXPECT_LE(triangles(ant), 5000u) << path;
        for (const std::string part :
             {"Head", "Mandible_L", "Mandible_R", "Antenna_L", "Antenna_R", "AntennaTip_L",
              "AntennaTip_R", "Eye_L", "Eye_R", "Petiole", "Gaster"})
            EXPECT_NE(ant.find(part), nullptr) << path << " " << part;
        for (const char* side : {"_L", "_R"})
            for (int i = 1; i <= 3; ++i) {
                const std::string tag = side + std::to_string(i);
                const SceneObject* coxa = ant.find("Coxa" + tag);
                ASSERT_NE(coxa, nullptr) << tag;
                // Jointed: femur under coxa, tibia under femur.
                ASSERT_EQ(coxa->children.size(), 1u);
                EXPECT_EQ(coxa->children[0].name, "Femur" + tag);
                ASSERT_EQ(coxa->children[0].children.size(), 1u);
                EXPECT_EQ(coxa->children[0].children[0].name, "Tibia" + tag);
                expectFourClips(*coxa);
            }
        EXPECT_TRUE(ant.find("Head")->texture.loaded());
    }
}

TEST_F(ShippedModels, Ant_UprightFacingPlusXOnTheGround) {
    std::string out;
    const SceneObject ant = load("res/AntAnim1.DAE", kAntPlacement, out);
    const SceneObject* head = ant.find("Head");
    const SceneObject* gaster = ant.find("Gaster");
    ASSERT_TRUE(head && gaster);
    // Boxes are in placement space: the world as the game draws the ant at the origin.
    EXPECT_GT(head->bbMin.x, 0.05f);
    EXPECT_LT(gaster->bbMax.x, -0.05f);
    EXPECT_GT(gaster->bbMax.y, 0.15f);
    EXPECT_NEAR(ant.bbMin.y, 0.0f, 0.01f);  // feet on the ground
    EXPECT_LT(ant.bbMax.y, 0.35f);
    // Small enough for one cell, with the mandibles no further than a quarter cell ahead
    // (two fighting ants stand 0.504 apart).
    EXPECT_LT(ant.bbMax.x - ant.bbMin.x, 0.7f);
    EXPECT_LT(ant.find("Mandible_L")->bbMax.x, 0.25f);
    EXPECT_LT(ant.bbMax.z - ant.bbMin.z, 0.6f);
}

TEST_F(ShippedModels, AntClips_MoveLegsHeadAndJaws) {
    std::string out;
    SceneObject ant = load("res/AntAnim1.DAE", kAntPlacement, out);
    auto poseAt = [&](const std::string& part, int clip, double clipTime) {
        auto& ch = ant.find(part)->channels.front();
        return ch.sample(clip * 7.0 / 3.0 + clipTime);
    };
    // Walk and both turns step every leg: each joint leaves its start pose during the clip.
    for (int clip : {1, 2, 3})
        for (const char* leg :
             {"Coxa_L1", "Coxa_R2", "Coxa_L3", "Femur_R1", "Femur_L2", "Femur_R3"}) {
            float moved = 0.0f;
            for (double t = 0.1; t < 2.0; t += 0.1)
                moved =
                    std::max(moved, maxDifference(poseAt(leg, clip, 0.0), poseAt(leg, clip, t)));
            EXPECT_GT(moved, 0.01f) << leg << " clip " << clip;
        }
    // Tripod gait: while the front left leg swings (femur lifted), the front right one stands.
    float together = 0.0f, apart = 1e9f;
    for (double t = 0.0; t <= 2.0; t += 0.05) {
        const auto lifted = [&](const std::string& femur) {
            return maxDifference(poseAt(femur, 1, t), glm::mat4(1.0f)) > 0.02f;
        };
        if (lifted("Femur_L1") && lifted("Femur_R1")) together += 1.0f;
        if (lifted("Femur_L1") && lifted("Femur_R2")) apart = std::min(apart, 0.0f);
    }
    EXPECT_EQ(together, 0.0f);
    EXPECT_EQ(apart, 0.0f);
    // Fight: the head lunges and the mandibles snap.
    EXPECT_GT(maxDifference(poseAt("Head", 0, 0.0), poseAt("Head", 0, 0.45)), 0.02f);
    EXPECT_GT(maxDifference(poseAt("Mandible_L", 0, 0.3), poseAt("Mandible_L", 0, 0.45)), 0.02f);
    // Clips loop without a jump: the end pose is the start pose.
    for (int clip = 0; clip < 4; ++clip)
        EXPECT_LT(maxDifference(poseAt("Coxa_L1", clip, 0.0), poseAt("Coxa_L1", clip, 2.0)), 1e-3f)
            << clip;
    // Left and right turns move the left front foot in opposite directions.
    const SceneObject* tibia = ant.find("Tibia_L1");
    glm::vec3 foot = tibia->positions.front();
    for (const auto& p : tibia->positions)
        if (p.y > foot.y) foot = p;  // the file's ant hangs upside down; the game's turn rights it
    const auto footAt = [&](int clip, double t) {
        return glm::vec3(kAntPlacement * poseAt("Coxa_L1", clip, t) * poseAt("Femur_L1", clip, t) *
                         poseAt("Tibia_L1", clip, t) * glm::vec4(foot, 1.0f));
    };
    const float left = footAt(2, 1.0).x - footAt(2, 0.5).x;
    const float right = footAt(3, 1.0).x - footAt(3, 0.5).x;
    EXPECT_GT(std::abs(left), 0.02f);
    EXPECT_LT(left * right, 0.0f);
    // A standing foot stays on the ground.
    EXPECT_NEAR(footAt(1, 1.0 / 3.0 + 0.2).y, 0.0f, 0.01f);
}

TEST_F(ShippedModels, Food_LoadsCleanAndSitsOnTheCell) {
    std::string out;
    const SceneObject food = load("./res/Food.DAE", glm::mat4(1.0f), out);
    ASSERT_TRUE(food.valid());
    expectCleanLoad(out, "Food");
    EXPECT_LE(triangles(food), 3000u);
    EXPECT_TRUE(food.texture.loaded());
    EXPECT_NEAR(food.bbMin.y, 0.0f, 0.01f);
    EXPECT_LT(food.bbMax.x - food.bbMin.x, 0.6f);
    EXPECT_LT(std::abs(food.bbMax.x + food.bbMin.x), 0.2f);  // centred on the cell
}

TEST_F(ShippedModels, Portal_HasTexturedConeThatSpinsUpright) {
    std::string out;
    const SceneObject portal = load("./res/Portal.DAE", glm::mat4(1.0f), out);
    ASSERT_TRUE(portal.valid());
    expectCleanLoad(out, "Portal");
    EXPECT_LE(triangles(portal), 3000u);
    const SceneObject* cone = portal.find("Cone001");
    ASSERT_NE(cone, nullptr);
    EXPECT_TRUE(cone->hasMesh);
    EXPECT_TRUE(cone->texture.loaded());
    // The game spins the cone about its own z axis: that axis must point up in the model.
    const glm::vec3 axis = glm::vec3(cone->localTransform * glm::vec4(0, 0, 1, 0));
    EXPECT_GT(axis.y, 0.99f);
    // Under the game's placement the cone's axis stands on the cell's centre.
    const glm::mat4 placement = glm::translate(glm::mat4(1.0f), glm::vec3(0.05f, 0.0f, 0.1f)) *
                                glm::scale(glm::mat4(1.0f), glm::vec3(3.9f, 1.4f, 3.5f)) *
                                portal.localTransform;
    const glm::vec4 foot = placement * cone->localTransform * glm::vec4(0, 0, 0, 1);
    EXPECT_NEAR(foot.x, 0.0f, 1e-4f);
    EXPECT_NEAR(foot.z, 0.0f, 1e-4f);
}
