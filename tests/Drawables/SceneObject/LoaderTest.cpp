// The model loader without a display: which post-processing a file gets, which
// nodes become the tree, the mesh and face rules, bounding boxes, materials, the
// texture keys and an unreadable file. Inputs are small COLLADA files written here.
#include "Drawables/SceneObject/SceneObject.h"
#include "TestModels.h"

#include <assimp/mesh.h>
#include <gtest/gtest.h>

#include <string>

using GLutil::drawableObjects::SceneObject;
using GLutil::drawableObjects::SceneObjectOpt;
using namespace SceneObjectTest;

namespace {

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
}

SceneObject load(const std::string& path, const glm::mat4& placement,
                 std::string* output = nullptr) {
    testing::internal::CaptureStdout();
    SceneObject model(SceneObjectOpt{path, placement});
    const std::string out = testing::internal::GetCapturedStdout();
    if (output) *output = out;
    return model;
}

const std::string kTriangle =
    document(triangleGeometry("Tri-mesh", "0 0 0", "1 0 0", "0 2 -3"), node("Tri", "Tri-mesh"));

}  // namespace

TEST(SceneObjectLoad, UpperCaseDae_ConvertsToLeftHanded) {
    const auto model = load(writeScratch("tri.DAE", kTriangle), glm::mat4(1.0f));
    ASSERT_TRUE(model.valid());
    ASSERT_EQ(model.positions.size(), 3u);
    bool sawCorner = false;
    for (const auto& p : model.positions)
        if (p.y == 2.0f) {
            EXPECT_FLOAT_EQ(p.z, 3.0f);  // z negated
            sawCorner = true;
        }
    EXPECT_TRUE(sawCorner);
    bool flipped = false;
    for (const auto& t : model.texCoords) flipped |= std::abs(t.y - 0.75f) < 1e-6f;  // v = 1 - 0.25
    EXPECT_TRUE(flipped);
}

TEST(SceneObjectLoad, LowerCaseDae_TakesDefaultSteps) {
    const auto model = load(writeScratch("tri.dae", kTriangle), glm::mat4(1.0f));
    ASSERT_TRUE(model.valid());
    bool sawCorner = false;
    for (const auto& p : model.positions)
        if (p.y == 2.0f) {
            EXPECT_FLOAT_EQ(p.z, -3.0f);
            sawCorner = true;
        }
    EXPECT_TRUE(sawCorner);
    for (const auto& t : model.texCoords) EXPECT_NE(t.y, 0.75f);
}

TEST(SceneObjectLoad, RootTakesFirstTopLevelNode_OthersUnused) {
    const std::string text =
        document(triangleGeometry("Body-mesh", "0 0 0", "1 0 0", "0 1 0") +
                     triangleGeometry("Arm-mesh", "0 0 0", "0 0 1", "1 0 0") +
                     triangleGeometry("Other-mesh", "5 5 5", "6 5 5", "5 6 5"),
                 node("Body", "Body-mesh", node("Arm", "Arm-mesh") + node("Empty", "")) +
                     node("Other", "Other-mesh"));
    std::string out;
    const auto model = load(writeScratch("tree.DAE", text), glm::mat4(1.0f), &out);
    EXPECT_EQ(model.name, "Body");
    EXPECT_TRUE(model.hasMesh);
    ASSERT_EQ(model.children.size(), 2u);
    EXPECT_EQ(model.children[0].name, "Arm");
    EXPECT_TRUE(model.children[0].hasMesh);
    EXPECT_FALSE(model.children[1].hasMesh);
    EXPECT_EQ(model.find("Other"), nullptr);
    EXPECT_NE(out.find("Import result: No Error\n"), std::string::npos);
    EXPECT_NE(out.find("Load mesh from Body\nNumber of vertices: 3\n"), std::string::npos);
    EXPECT_NE(out.find("Loading Body-meshfinished with 0 Errorfaces.\n"), std::string::npos);
    EXPECT_NE(out.find("Material TestMaterial in process.\n"), std::string::npos);
    EXPECT_EQ(count(out, "Load mesh from "), 2u);  // Body and Arm, not Other
    ASSERT_NE(model.options, nullptr);
    EXPECT_EQ(model.options->path.substr(model.options->path.size() - 8), "tree.DAE");
}

TEST(SceneObjectLoad, BoundingBox_PlacementOnlyWidenedByChildren) {
    // The arm's own node transform (x + 100) does not enter the boxes: they are
    // taken in placement space.
    const std::string text =
        document(triangleGeometry("Body-mesh", "0 0 0", "1 0 0", "0 1 0") +
                     triangleGeometry("Arm-mesh", "0 0 0", "0 0 2", "-1 0 0"),
                 node("Body", "Body-mesh",
                      node("Arm", "Arm-mesh", "", "1 0 0 100 0 1 0 0 0 0 1 0 0 0 0 1")));
    const glm::mat4 placement = glm::mat4(glm::vec4(2, 0, 0, 0), glm::vec4(0, 2, 0, 0),
                                          glm::vec4(0, 0, 2, 0), glm::vec4(10, 0, 0, 1));
    const auto model = load(writeScratch("box.dae", text), placement);
    ASSERT_EQ(model.children.size(), 1u);
    const auto& arm = model.children[0];
    EXPECT_EQ(arm.bbMin, glm::vec3(8, 0, 0));
    EXPECT_EQ(arm.bbMax, glm::vec3(10, 0, 4));
    EXPECT_EQ(model.bbMin, glm::vec3(8, 0, 0));
    EXPECT_EQ(model.bbMax, glm::vec3(12, 2, 4));
    EXPECT_EQ(model.placement, placement);
    EXPECT_EQ(arm.placement, glm::mat4(1.0f));
    EXPECT_FLOAT_EQ(arm.localTransform[3][0], 100.0f);  // row-major file matrix, column-major here
}

TEST(SceneObjectLoad, Material_FileColoursWithAlphaForcedToOne) {
    const std::string text =
        document(triangleGeometry("T-mesh", "0 0 0", "1 0 0", "0 1 0"), node("T", "T-mesh"), "",
                 "<ambient><color>0.1 0.2 0.3 0.4</color></ambient>"
                 "<diffuse><color>0.2 0.4 0.6 0.5</color></diffuse>"
                 "<specular><color>0.7 0.8 0.9 0</color></specular>"
                 "<shininess><float>33</float></shininess>");
    const auto model = load(writeScratch("material.DAE", text), glm::mat4(1.0f));
    EXPECT_EQ(model.material.ambient, glm::vec4(0.1f, 0.2f, 0.3f, 1.0f));
    EXPECT_EQ(model.material.diffuse, glm::vec4(0.2f, 0.4f, 0.6f, 1.0f));
    EXPECT_EQ(model.material.specular, glm::vec4(0.7f, 0.8f, 0.9f, 1.0f));
    EXPECT_FLOAT_EQ(model.material.shininess, 33.0f);
    EXPECT_FALSE(model.texture.loaded());
}

TEST(SceneObjectLoad, Material_DefaultsWithoutAFileMaterial) {
    const SceneObject empty;
    EXPECT_EQ(empty.material.ambient, glm::vec4(0, 0, 0, 1));
    EXPECT_EQ(empty.material.diffuse, glm::vec4(0, 0, 0, 1));
    EXPECT_EQ(empty.material.specular, glm::vec4(0, 0, 0, 1));
    EXPECT_FLOAT_EQ(empty.material.shininess, 20.0f);
    EXPECT_FALSE(empty.texture.loaded());
    EXPECT_TRUE(std::isinf(empty.bbMin.x) && empty.bbMin.x > 0);
    EXPECT_TRUE(std::isinf(empty.bbMax.x) && empty.bbMax.x < 0);
}

TEST(SceneObjectLoad, UnreadableFile_PrintsAndStaysEmpty) {
    for (const std::string& path : {std::string("/nonexistent/none.DAE"),
                                    writeScratch("garbage.DAE", "<COLLADA> this is not a model")}) {
        std::string out;
        auto model = load(path, glm::mat4(1.0f), &out);
        EXPECT_FALSE(model.valid()) << path;
        EXPECT_FALSE(model.hasMesh);
        EXPECT_TRUE(model.children.empty());
        EXPECT_EQ(model.options, nullptr);
        EXPECT_EQ(out.rfind("Import result: ", 0), 0u) << out;
        EXPECT_EQ(out.find("No Error"), std::string::npos);
        EXPECT_NE(out.find("Assimp importer could not read file: " + path + "\n"),
                  std::string::npos)
            << out;
        VX3D::FrameClock clock(1.0);
        model.startAnimation(1, 1.0, clock, true);
        EXPECT_FALSE(model.isAnimating());
        model.genVAO(0, 1, 2);  // nothing to upload, so no context needed
        EXPECT_EQ(model.mesh, nullptr);
    }
}

TEST(SceneObjectMesh, QuadFace_ReportedOnceAndFirstThreeCornersUsed) {
    aiMesh mesh;
    mesh.mName = "quad";
    mesh.mNumVertices = 4;
    mesh.mVertices = new aiVector3D[4]{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    mesh.mNumFaces = 2;
    mesh.mFaces = new aiFace[2];
    mesh.mFaces[0].mNumIndices = 4;
    mesh.mFaces[0].mIndices = new unsigned[4]{0, 1, 2, 3};
    mesh.mFaces[1].mNumIndices = 2;  // a line: not a face we can draw
    mesh.mFaces[1].mIndices = new unsigned[2]{2, 3};

    SceneObject node;
    node.name = "Plate";
    testing::internal::CaptureStdout();
    const auto result = node.readMesh(mesh, glm::mat4(1.0f));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(count(out, "Damn dieses face ist kein Dreieck!\n"), 1u);
    EXPECT_EQ(node.indices, (std::vector<std::uint32_t>{0, 1, 2}));
    EXPECT_EQ(result.errorFaces, 1u);
    EXPECT_EQ(out,
              "Load mesh from Plate\nNumber of vertices: 4\nDamn dieses face ist kein Dreieck!\n"
              "Loading quadfinished with 1 Errorfaces.\n");
    EXPECT_TRUE(node.normals.empty());  // the mesh has none
    EXPECT_TRUE(node.texCoords.empty());
    EXPECT_EQ(node.bbMax, glm::vec3(1, 1, 0));
}

TEST(SceneObjectMesh, BoxDividesByW) {
    aiMesh mesh;
    mesh.mName = "point";
    mesh.mNumVertices = 1;
    mesh.mVertices = new aiVector3D[1]{{2, 4, 6}};
    SceneObject node;
    glm::mat4 halve(1.0f);
    halve[3][3] = 2.0f;  // w = 2
    testing::internal::CaptureStdout();
    node.readMesh(mesh, halve);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(node.bbMax, glm::vec3(1, 2, 3));
    EXPECT_EQ(node.bbMin, glm::vec3(1, 2, 3));
}

TEST(TextureOptKey, SlashesCountAlike_EveryTestPrinted) {
    using GLutil::TextureOpt;
    testing::internal::CaptureStdout();
    const bool same =
        TextureOpt{"res\\Models\\a.png", 0, 1.0f} == TextureOpt{"res/Models/a.png", 0, 1.0f};
    const bool otherUnit = TextureOpt{"res/a.png", 0, 1.0f} == TextureOpt{"res/a.png", 1, 1.0f};
    const bool otherBlend = TextureOpt{"res/a.png", 0, 1.0f} == TextureOpt{"res/a.png", 0, 0.5f};
    const bool otherPath = TextureOpt{"res/a.png", 0, 1.0f} == TextureOpt{"res/b.png", 0, 1.0f};
    const bool prefix = TextureOpt{"res/a.png", 0, 1.0f} == TextureOpt{"res/a.png2", 0, 1.0f};
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(same);
    EXPECT_FALSE(otherUnit);
    EXPECT_FALSE(otherBlend);
    EXPECT_FALSE(otherPath);
    EXPECT_FALSE(prefix);
    EXPECT_EQ(out, "texopt cmp 1\ntexopt cmp 0\ntexopt cmp 0\ntexopt cmp 0\ntexopt cmp 0\n");
}

TEST(TextureOptKey, EqualKeysHashAlike) {
    using GLutil::TextureOpt;
    const GLutil::TextureOptHash hash;
    EXPECT_EQ(hash(TextureOpt{"a\\b\\c.png", 0, 1.0f}), hash(TextureOpt{"a/b/c.png", 0, 1.0f}));
    EXPECT_NE(hash(TextureOpt{"a/b/c.png", 0, 1.0f}), hash(TextureOpt{"a/b/c.png", 1, 1.0f}));
    EXPECT_NE(hash(TextureOpt{"a/b/c.png", 0, 1.0f}), hash(TextureOpt{"a/b/d.png", 0, 1.0f}));
}

TEST(SceneObjectLoad, WavefrontGraphFlattened_RootWithoutChildrenTakesItself) {
    // The Wavefront steps flatten the graph into the root, so the root has no children.
    std::string out;
    const auto model = load(writeScratch("tri.obj", "v 0 0 -3\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"),
                            glm::mat4(1.0f), &out);
    ASSERT_TRUE(model.valid());
    EXPECT_NE(out.find("SceneObject: root hat keine Kinder!\n"), std::string::npos) << out;
    EXPECT_TRUE(model.hasMesh);
    EXPECT_TRUE(model.children.empty());
    ASSERT_EQ(model.positions.size(), 3u);
    EXPECT_EQ(model.indices.size(), 3u);
    EXPECT_FLOAT_EQ(model.bbMin.z, -3.0f);  // no handedness conversion for Wavefront files
}
