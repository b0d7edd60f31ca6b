// The render state without a graphics context: the graphics calls are counted through the
// render state's own seam. Covers the whole-state push at construction, the cache (only
// changes reach the graphics library), the initial state, and the sixteen debug keys with
// their lines, settings and cycles, as pressed through the input manager.
#include "Veltrix3D/RenderState.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

using VX3D::RenderState;

namespace {

std::vector<std::string> calls;

std::string name(GLenum value) {
    switch (value) {
        case GL_BLEND:
            return "BLEND";
        case GL_CULL_FACE:
            return "CULL_FACE";
        case GL_DEPTH_TEST:
            return "DEPTH_TEST";
        case GL_POLYGON_OFFSET_FILL:
            return "POLYGON_OFFSET_FILL";
        case GL_FRONT_AND_BACK:
            return "FRONT_AND_BACK";
        case GL_LINE:
            return "LINE";
        case GL_FILL:
            return "FILL";
        case GL_CW:
            return "CW";
        case GL_CCW:
            return "CCW";
        case GL_LEQUAL:
            return "LEQUAL";
        case GL_LESS:
            return "LESS";
        case GL_SRC_ALPHA:
            return "SRC_ALPHA";
        case GL_ONE_MINUS_SRC_ALPHA:
            return "ONE_MINUS_SRC_ALPHA";
        case GL_ONE:
            return "ONE";
        case GL_TEXTURE_2D:
            return "TEXTURE_2D";
        case GL_TEXTURE_MIN_FILTER:
            return "MIN_FILTER";
        case GL_TEXTURE_MAG_FILTER:
            return "MAG_FILTER";
        case GL_LINEAR:
            return "LINEAR";
        case GL_NEAREST:
            return "NEAREST";
        case GL_LINEAR_MIPMAP_LINEAR:
            return "LINEAR_MIPMAP_LINEAR";
        case GL_LINEAR_MIPMAP_NEAREST:
            return "LINEAR_MIPMAP_NEAREST";
        case GL_NEAREST_MIPMAP_LINEAR:
            return "NEAREST_MIPMAP_LINEAR";
        case GL_NEAREST_MIPMAP_NEAREST:
            return "NEAREST_MIPMAP_NEAREST";
        default:
            return std::to_string(value);
    }
}

std::string number(float value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

VX3D::RenderStateGraphics recorder() {
    VX3D::RenderStateGraphics g{};
    g.enable = [](GLenum c) { calls.push_back("enable " + name(c)); };
    g.disable = [](GLenum c) { calls.push_back("disable " + name(c)); };
    g.blendFunc = [](GLenum s, GLenum d) {
        calls.push_back("blendFunc " + name(s) + " " + name(d));
    };
    g.frontFace = [](GLenum m) { calls.push_back("frontFace " + name(m)); };
    g.polygonOffset = [](GLfloat f, GLfloat u) {
        calls.push_back("polygonOffset " + number(f) + " " + number(u));
    };
    g.depthFunc = [](GLenum f) { calls.push_back("depthFunc " + name(f)); };
    g.polygonMode = [](GLenum f, GLenum m) {
        calls.push_back("polygonMode " + name(f) + " " + name(m));
    };
    g.texParameteri = [](GLenum t, GLenum n, GLint v) {
        calls.push_back("texParameteri " + name(t) + " " + name(n) + " " +
                        name(static_cast<GLenum>(v)));
    };
    g.clearColor = [](GLfloat r, GLfloat gr, GLfloat b, GLfloat a) {
        calls.push_back("clearColor " + number(r) + " " + number(gr) + " " + number(b) + " " +
                        number(a));
    };
    g.viewport = [](GLint x, GLint y, GLsizei w, GLsizei h) {
        calls.push_back("viewport " + std::to_string(x) + " " + std::to_string(y) + " " +
                        std::to_string(w) + " " + std::to_string(h));
    };
    return g;
}

// Every static back to its value at process start, as each test assumes a fresh process.
void resetProcessState() {
    RenderState::wireframe = false;
    RenderState::boundingBoxes = false;
    RenderState::tessellation = true;
    RenderState::tessLevel = 30.0f;
    RenderState::tessAttenuation = 0.2f;
    RenderState::fog = true;
    RenderState::minFilter = GL_LINEAR_MIPMAP_LINEAR;
    RenderState::magFilter = GL_LINEAR;
    RenderState::frustumCulling = true;
    RenderState::showFPS = true;
    RenderState::vertexArrayDebug = false;
    RenderState::transparency = true;
    RenderState::showHelp = false;
    RenderState::cheatView = false;
    RenderState::invertCameraVertical = false;
    RenderState::invertCameraHorizontal = false;
    RenderState::blendEnabled = true;
    RenderState::blendSource = GL_SRC_ALPHA;
    RenderState::blendDestination = GL_ONE_MINUS_SRC_ALPHA;
    RenderState::cullFaceEnabled = true;
    RenderState::frontFace = GL_CW;
    RenderState::polygonOffsetFillEnabled = false;
    RenderState::polygonOffsetFactor = 1.1f;
    RenderState::polygonOffsetUnits = 4.0f;
    RenderState::depthTestEnabled = true;
    RenderState::depthFunc = GL_LEQUAL;
}

class RenderStateTest : public testing::Test {
protected:
    void SetUp() override {
        saved = RenderState::graphics;
        resetProcessState();
        RenderState::graphics = recorder();
        calls.clear();
    }
    void TearDown() override {
        RenderState::graphics = saved;
        resetProcessState();
    }

    // Presses a key through the input manager, as the window would, and returns what it printed.
    std::string press(int code) {
        testing::internal::CaptureStdout();
        input.onKeyOrButton(code, 1);
        input.onKeyOrButton(code, 0);
        return testing::internal::GetCapturedStdout();
    }

    VX3D::RenderStateGraphics saved{};
    VX3D::InputManager input{640, 480};
};

const std::vector<std::string> wholeState = {
    "polygonMode FRONT_AND_BACK FILL",
    "enable BLEND",
    "blendFunc SRC_ALPHA ONE_MINUS_SRC_ALPHA",
    "enable CULL_FACE",
    "frontFace CW",
    "texParameteri TEXTURE_2D MIN_FILTER LINEAR_MIPMAP_LINEAR",
    "texParameteri TEXTURE_2D MAG_FILTER LINEAR",
    "disable POLYGON_OFFSET_FILL",
    "polygonOffset 1.1 4",
    "enable DEPTH_TEST",
    "depthFunc LEQUAL",
};

}  // namespace

TEST(RenderStateSettings, InitialValues_AreThoseAtProcessStart) {
    EXPECT_FALSE(RenderState::wireframe);
    EXPECT_FALSE(RenderState::boundingBoxes);
    EXPECT_TRUE(RenderState::tessellation);
    EXPECT_FLOAT_EQ(RenderState::tessLevel, 30.0f);
    EXPECT_FLOAT_EQ(RenderState::tessAttenuation, 0.2f);
    EXPECT_TRUE(RenderState::fog);
    EXPECT_EQ(RenderState::minFilter, static_cast<GLenum>(GL_LINEAR_MIPMAP_LINEAR));
    EXPECT_EQ(RenderState::magFilter, static_cast<GLenum>(GL_LINEAR));
    EXPECT_TRUE(RenderState::frustumCulling);
    EXPECT_TRUE(RenderState::showFPS);
    EXPECT_FALSE(RenderState::vertexArrayDebug);
    EXPECT_TRUE(RenderState::transparency);
    EXPECT_FALSE(RenderState::showHelp);
    EXPECT_FALSE(RenderState::cheatView);
    EXPECT_FALSE(RenderState::invertCameraVertical);
    EXPECT_FALSE(RenderState::invertCameraHorizontal);
    EXPECT_TRUE(RenderState::blendEnabled);
    EXPECT_TRUE(RenderState::cullFaceEnabled);
    EXPECT_EQ(RenderState::frontFace, static_cast<GLenum>(GL_CW));
    EXPECT_FALSE(RenderState::polygonOffsetFillEnabled);
    EXPECT_FLOAT_EQ(RenderState::polygonOffsetFactor, 1.1f);
    EXPECT_FLOAT_EQ(RenderState::polygonOffsetUnits, 4.0f);
    EXPECT_TRUE(RenderState::depthTestEnabled);
    EXPECT_EQ(RenderState::depthFunc, static_cast<GLenum>(GL_LEQUAL));
}

TEST_F(RenderStateTest, Construction_PushesTheWholeStateInOrder) {
    RenderState state(input);
    EXPECT_EQ(calls, wholeState);
}

TEST_F(RenderStateTest, Construction_PushesEvenWhatTheCacheAlreadyHolds) {
    { RenderState first(input); }
    calls.clear();
    RenderState second(input);
    EXPECT_EQ(calls, wholeState);
}

TEST_F(RenderStateTest, CachedSetters_OnlyChangesReachTheGraphicsLibrary) {
    RenderState::setBlend(true);
    RenderState::setCullFace(true);
    RenderState::setDepthTest(true);
    RenderState::setPolygonOffsetFill(false);
    RenderState::setFrontFace(GL_CW);
    RenderState::setBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    RenderState::setPolygonOffset(1.1f, 4.0f);
    RenderState::setDepthFunc(GL_LEQUAL);
    EXPECT_TRUE(calls.empty());

    RenderState::setBlend(false);
    RenderState::setBlend(false);
    RenderState::setCullFace(false);
    RenderState::setDepthTest(false);
    RenderState::setPolygonOffsetFill(true);
    RenderState::setPolygonOffsetFill(true);
    RenderState::setFrontFace(GL_CCW);
    RenderState::setFrontFace(GL_CCW);
    RenderState::setBlendFunc(GL_ONE, GL_ONE);
    RenderState::setBlendFunc(GL_ONE, GL_ONE);
    RenderState::setBlendFunc(GL_SRC_ALPHA, GL_ONE);  // one half differs: a change
    RenderState::setPolygonOffset(2.0f, 4.0f);
    RenderState::setPolygonOffset(2.0f, 4.0f);
    RenderState::setDepthFunc(GL_LESS);
    RenderState::setDepthFunc(GL_LESS);
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "disable BLEND", "disable CULL_FACE", "disable DEPTH_TEST",
                         "enable POLYGON_OFFSET_FILL", "frontFace CCW", "blendFunc ONE ONE",
                         "blendFunc SRC_ALPHA ONE", "polygonOffset 2 4", "depthFunc LESS"}));
    EXPECT_FALSE(RenderState::blendEnabled);
    EXPECT_EQ(RenderState::frontFace, static_cast<GLenum>(GL_CCW));
    EXPECT_FLOAT_EQ(RenderState::polygonOffsetFactor, 2.0f);
}

TEST_F(RenderStateTest, InitialState_SetsClearColourAndViewportAndCachesTheRest) {
    RenderState::blendEnabled = false;
    RenderState::frontFace = GL_CCW;
    VX3D::ClientOptions options;
    options.width = 800;
    options.height = 600;
    RenderState::applyInitialState(options);
    EXPECT_EQ(calls, (std::vector<std::string>{"clearColor 0 0 0 1", "enable BLEND", "frontFace CW",
                                               "viewport 0 0 800 600"}));
}

TEST_F(RenderStateTest, InitialState_LeavesBlendingOffWithoutTransparency) {
    RenderState::transparency = false;
    RenderState::blendEnabled = false;
    VX3D::ClientOptions options;
    RenderState::applyInitialState(options);
    EXPECT_EQ(calls, (std::vector<std::string>{"clearColor 0 0 0 1", "viewport 0 0 640 480"}));
}

TEST_F(RenderStateTest, DebugKeys_AreRegisteredOnPressWithTheirDescriptions) {
    const std::vector<std::pair<int, std::string>> keys = {
        {260, "Toggle Wireframe Mode"},          {74, "Toggle BoundingBox Mode"},
        {267, "Toggle Tesselation Mode"},        {268, "Switch TessLevel"},
        {269, "Switch TessAttenuation"},         {264, "Toggle Fog Mode"},
        {261, "Switch Min-Filter Mode"},         {262, "Switch Mag-Filter Mode"},
        {265, "Switch frustrum culling"},        {259, "Switch FPS display"},
        {263, "Switch vertex array usage"},      {266, "switch use transparency"},
        {258, "Switch display of help"},         {75, "Switch watching of ai move"},
        {89, "Invert camera moving vertically"}, {88, "Invert camera moving horizontally"}};
    {
        RenderState state(input);
        for (const auto& [code, description] : keys) {
            EXPECT_EQ(input.keyActionDescriptions(VX3D::InputManager::pressAction, code),
                      std::vector<std::string>{description})
                << code;
            EXPECT_TRUE(
                input.keyActionDescriptions(VX3D::InputManager::releaseAction, code).empty());
        }
    }
    // Destroying the render state withdraws all sixteen.
    for (const auto& [code, description] : keys)
        EXPECT_TRUE(input.keyActionDescriptions(VX3D::InputManager::pressAction, code).empty())
            << code;
}

TEST_F(RenderStateTest, OnOffKeys_FlipTheirSettingAndPrintTheirLine) {
    RenderState state(input);
    struct Case {
        int code;
        bool* setting;
        std::string prefix;
    };
    const std::vector<Case> cases = {
        {74, &RenderState::boundingBoxes, "Boundingbox Mode turned "},
        {267, &RenderState::tessellation, "Tesselation turned "},
        {264, &RenderState::fog, "Fog turned "},
        {265, &RenderState::frustumCulling, "Frustrum Culling turned "},
        {259, &RenderState::showFPS, "FPS drawing turned "},
        {263, &RenderState::vertexArrayDebug, "Vertex Array drawing turned "},
        {266, &RenderState::transparency, "Transparent Drawing turned "},
        {258, &RenderState::showHelp, "Using Help Display: "},
        {75, &RenderState::cheatView, "Cheat view turned "},
        {89, &RenderState::invertCameraVertical, "Cam vertical inversion turned "},
        {88, &RenderState::invertCameraHorizontal, "Cam horizontal inversion turned "},
    };
    for (const Case& c : cases) {
        const bool before = *c.setting;
        EXPECT_EQ(press(c.code), c.prefix + (before ? "off" : "on") + "\n") << c.code;
        EXPECT_EQ(*c.setting, !before) << c.code;
        EXPECT_EQ(press(c.code), c.prefix + (before ? "on" : "off") + "\n") << c.code;
        EXPECT_EQ(*c.setting, before) << c.code;
    }
}

TEST_F(RenderStateTest, F3Twice_PrintsOnThenOffAndThePolygonModeFollows) {
    RenderState state(input);
    calls.clear();
    EXPECT_EQ(press(260), "Wireframe Mode turned on\n");
    EXPECT_TRUE(RenderState::wireframe);
    EXPECT_EQ(press(260), "Wireframe Mode turned off\n");
    EXPECT_FALSE(RenderState::wireframe);
    EXPECT_EQ(calls, (std::vector<std::string>{"polygonMode FRONT_AND_BACK LINE",
                                               "polygonMode FRONT_AND_BACK FILL"}));
}

TEST_F(RenderStateTest, SetWireframe_ToTheCurrentValueDoesNothing) {
    testing::internal::CaptureStdout();
    RenderState::setWireframe(false);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(calls.empty());
}

TEST_F(RenderStateTest, F4SixTimes_CyclesThroughAllFiltersBackToTheFirst) {
    RenderState state(input);
    calls.clear();
    const std::vector<std::string> names = {"GL_LINEAR_MIPMAP_NEAREST",
                                            "GL_NEAREST_MIPMAP_LINEAR",
                                            "GL_NEAREST_MIPMAP_NEAREST",
                                            "GL_LINEAR",
                                            "GL_NEAREST",
                                            "GL_LINEAR_MIPMAP_LINEAR"};
    for (const std::string& expected : names)
        EXPECT_EQ(press(261), "MinFilter switched to " + expected + " Mode.\n");
    EXPECT_EQ(RenderState::minFilter, static_cast<GLenum>(GL_LINEAR_MIPMAP_LINEAR));
    EXPECT_EQ(state.minFilterIndex, 0);
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls.front(), "texParameteri TEXTURE_2D MIN_FILTER LINEAR_MIPMAP_NEAREST");
    EXPECT_EQ(calls.back(), "texParameteri TEXTURE_2D MIN_FILTER LINEAR_MIPMAP_LINEAR");
}

TEST_F(RenderStateTest, F5_AlternatesTheMagnificationFilter) {
    RenderState state(input);
    calls.clear();
    EXPECT_EQ(press(262), "MagFilter switched to GL_NEAREST Mode.\n");
    EXPECT_EQ(RenderState::magFilter, static_cast<GLenum>(GL_NEAREST));
    EXPECT_EQ(press(262), "MagFilter switched to GL_LINEAR Mode.\n");
    EXPECT_EQ(RenderState::magFilter, static_cast<GLenum>(GL_LINEAR));
    EXPECT_EQ(calls, (std::vector<std::string>{"texParameteri TEXTURE_2D MAG_FILTER NEAREST",
                                               "texParameteri TEXTURE_2D MAG_FILTER LINEAR"}));
}

TEST_F(RenderStateTest, NewInstance_StartsTheCyclesAgainButKeepsTheSettings) {
    {
        RenderState first(input);
        press(262);  // GL_NEAREST
        press(261);  // GL_LINEAR_MIPMAP_NEAREST
    }
    calls.clear();
    RenderState second(input);
    // The new instance applies the kept filters at once.
    EXPECT_EQ(calls[5], "texParameteri TEXTURE_2D MIN_FILTER LINEAR_MIPMAP_NEAREST");
    EXPECT_EQ(calls[6], "texParameteri TEXTURE_2D MAG_FILTER NEAREST");
    calls.clear();
    // Position 1 again: GL_NEAREST, already in force, so no graphics call, but still the line.
    EXPECT_EQ(press(262), "MagFilter switched to GL_NEAREST Mode.\n");
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(press(261), "MinFilter switched to GL_LINEAR_MIPMAP_NEAREST Mode.\n");
    EXPECT_TRUE(calls.empty());
}

TEST_F(RenderStateTest, F11AndF12_SwitchLevelAndAttenuationAndStaySilentWhenAlreadySet) {
    {
        RenderState state(input);
        EXPECT_EQ(press(268), "TesselationLevel switched to 15\n");
        EXPECT_FLOAT_EQ(RenderState::tessLevel, 15.0f);
        EXPECT_EQ(press(268), "TesselationLevel switched to 30\n");
        EXPECT_EQ(press(269), "TesselationAttenuation switched to 1\n");
        EXPECT_FLOAT_EQ(RenderState::tessAttenuation, 1.0f);
        EXPECT_EQ(press(269), "TesselationAttenuation switched to 0.2\n");
        EXPECT_EQ(press(269), "TesselationAttenuation switched to 1\n");
    }
    // After a new game the first press selects entry 1, which is already in force.
    RenderState state(input);
    EXPECT_EQ(press(269), "");
    EXPECT_FLOAT_EQ(RenderState::tessAttenuation, 1.0f);
    EXPECT_EQ(press(269), "TesselationAttenuation switched to 0.2\n");
}

TEST_F(RenderStateTest, F9_SwitchesBlendingAtOnceAndTheCacheFollows) {
    RenderState state(input);
    calls.clear();
    EXPECT_EQ(press(266), "Transparent Drawing turned off\n");
    EXPECT_EQ(calls, std::vector<std::string>{"disable BLEND"});
    EXPECT_FALSE(RenderState::blendEnabled);
    // The cache now holds false, so a later request to blend reaches the library again.
    calls.clear();
    RenderState::setBlend(true);
    EXPECT_EQ(calls, std::vector<std::string>{"enable BLEND"});
    // Transparency off with blending on: the next F9 turns transparency on, which the cache
    // already holds, so nothing is sent.
    calls.clear();
    EXPECT_EQ(press(266), "Transparent Drawing turned on\n");
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(press(266), "Transparent Drawing turned off\n");
    EXPECT_EQ(calls, std::vector<std::string>{"disable BLEND"});
    EXPECT_EQ(press(266), "Transparent Drawing turned on\n");
    EXPECT_EQ(calls, (std::vector<std::string>{"disable BLEND", "enable BLEND"}));
}

TEST_F(RenderStateTest, WithoutARenderState_DebugKeysDoNothing) {
    { RenderState state(input); }
    EXPECT_EQ(press(260), "");
    EXPECT_FALSE(RenderState::wireframe);
}
