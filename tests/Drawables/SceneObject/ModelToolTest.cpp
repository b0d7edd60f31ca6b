// The model tool behind the shipped models: its shapes wind outwards, a written
// scene reads back through the loader as the game draws it (handedness, winding,
// texture coordinates), and the committed models are exactly what the tool makes
// now, so a change to the tool cannot ship with stale models.
#include "Collada.h"
#include "Drawables/SceneObject/SceneObject.h"
#include "Geometry.h"
#include "TestModels.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {

// Every triangle's geometric normal agrees with its corners' normals.
void expectOutward(const modelkit::Mesh& m, const char* what) {
    for (std::size_t i = 0; i < m.indices.size(); i += 3) {
        const auto a = m.indices[i], b = m.indices[i + 1], c = m.indices[i + 2];
        const glm::vec3 face =
            glm::cross(m.positions[b] - m.positions[a], m.positions[c] - m.positions[a]);
        ASSERT_GT(glm::dot(face, m.normals[a] + m.normals[b] + m.normals[c]), 0.0f)
            << what << " triangle " << i / 3;
    }
}

double signedVolume(const modelkit::Mesh& m) {
    double v = 0.0;
    for (std::size_t i = 0; i < m.indices.size(); i += 3)
        v += glm::dot(m.positions[m.indices[i]],
                      glm::cross(m.positions[m.indices[i + 1]], m.positions[m.indices[i + 2]])) /
             6.0;
    return v;
}

std::string contents(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(ModelKit, ShapesWindOutwardsAndClose) {
    const auto e = modelkit::ellipsoid({1, 2, 3}, {0.5f, 0.2f, 0.3f}, 16, 10);
    expectOutward(e, "ellipsoid");
    EXPECT_NEAR(signedVolume(e), 4.0 / 3.0 * glm::pi<double>() * 0.5 * 0.2 * 0.3, 0.06 * 0.126);
    const auto s =
        modelkit::sweep({{0, 0, 0}, {0.5f, 0.3f, 0}, {1, 0, 0.2f}}, {0.1f, 0.08f, 0.05f}, 7);
    expectOutward(s, "sweep");
    EXPECT_GT(signedVolume(s), 0.0);
    const auto l = modelkit::lathe({{0, 0}, {0.3f, 0.1f}, {0.2f, 0.4f}, {0, 0.5f}}, 12, 1.5f, 0.8f);
    expectOutward(l, "lathe");
    EXPECT_GT(signedVolume(l), 0.0);
    modelkit::Mesh mirrored = e;
    mirrored.transform(glm::scale(glm::mat4(1.0f), glm::vec3(1, 1, -1)));
    expectOutward(mirrored, "mirrored ellipsoid");
}

TEST(ModelKit, WrittenSceneReadsBackAsTheGameDrawsIt) {
    // A triangle facing +z in design space, counter-clockwise seen from +z, written
    // as the ants are (mirrored through the origin) and read with the game's turn.
    modelkit::Scene scene;
    scene.name = "S";
    scene.designToFile = glm::mat3(-1.0f);
    scene.materials = {{"Mat", glm::vec3(0.1f), glm::vec3(0.5f), glm::vec3(0.2f), 30.0f, ""}};
    modelkit::Mesh tri;
    tri.positions = {{1, 2, 3}, {2, 2, 3}, {1, 3, 3}};
    tri.normals = std::vector<glm::vec3>(3, glm::vec3(0, 0, 1));
    tri.uvs = {{0, 0}, {1, 0}, {0, 0.25f}};
    tri.indices = {0, 1, 2};
    scene.root.name = "Part";
    scene.root.mesh = tri;
    scene.root.material = 0;
    const std::string path = SceneObjectTest::writeScratch("written.DAE", "");
    modelkit::writeCollada(scene, path);

    const glm::mat4 turn = glm::rotate(glm::mat4(1.0f), glm::radians(180.0f), glm::vec3(0, 0, 1));
    testing::internal::CaptureStdout();
    const GLutil::drawableObjects::SceneObject model({path, turn});
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(model.valid());
    EXPECT_EQ(model.name, "Part");
    ASSERT_EQ(model.indices.size(), 3u);
    std::vector<glm::vec3> world;
    for (auto i : model.indices)
        world.push_back(glm::vec3(turn * glm::vec4(model.positions[i], 1.0f)));
    for (const auto& p : world) {
        const bool known = glm::distance(p, {1, 2, 3}) < 1e-5f ||
                           glm::distance(p, {2, 2, 3}) < 1e-5f ||
                           glm::distance(p, {1, 3, 3}) < 1e-5f;
        EXPECT_TRUE(known) << p.x << " " << p.y << " " << p.z;
    }
    // Seen from +z the drawn triangle now winds clockwise: the game's front faces.
    EXPECT_LT(glm::cross(world[1] - world[0], world[2] - world[0]).z, 0.0f);
    // Normals come out in the design's direction under the turn.
    EXPECT_NEAR((glm::mat3(turn) * model.normals[0]).z, 1.0f, 1e-5f);
    // Texture coordinates are the design's again after the loader's flip.
    bool quarter = false;
    for (const auto& t : model.texCoords) quarter |= std::abs(t.y - 0.25f) < 1e-6f;
    EXPECT_TRUE(quarter);
    EXPECT_EQ(model.material.diffuse, glm::vec4(0.5f, 0.5f, 0.5f, 1.0f));
    EXPECT_FLOAT_EQ(model.material.shininess, 30.0f);
}

TEST(ModelTool, CommittedModelsAreWhatTheToolMakes) {
    const auto out =
        std::filesystem::temp_directory_path() / ("vx_modeltool_" + std::to_string(::getpid()));
    std::filesystem::remove_all(out);
    const std::string command =
        std::string(VX_BIN_DIR) + "/modeltool " + out.string() + " > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (const char* file :
         {"res/AntAnim1.DAE", "res/AntAnim1B.DAE", "res/Food.DAE", "res/Portal.DAE",
          "res/Models/AntSkin.png", "res/Models/Strawberry.png", "res/Models/PortalStone.png",
          "res/Models/PortalEnergy.png"}) {
        const auto committed = std::filesystem::path(VX_GAME_DIR) / file;
        ASSERT_TRUE(std::filesystem::exists(committed)) << committed;
        EXPECT_TRUE(contents(out / file) == contents(committed))
            << file << " differs from the tool's output: run modeltool " << VX_GAME_DIR;
    }
    std::filesystem::remove_all(out);
}
