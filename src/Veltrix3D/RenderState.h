#pragma once
// The process-wide render settings that the debug keys switch and the drawables read, and a
// cache of the graphics pipeline states (blending, culling, depth test, polygon offset) through
// which only real changes reach the graphics library.
//
// One instance lives at a time, created by the frame loop with the input manager: it
// registers the sixteen debug keys and pushes the whole cached state to the graphics library.
// The settings and the cache are static and outlive the instance, so a new game keeps them.
#include <GL/glew.h>

#include "Manager/InputManager/InputManager.h"
#include "Veltrix3D/ClientOptions.h"

#include <array>
#include <cstdint>
#include <string>

namespace VX3D {

// The graphics calls the render state makes, as one table of plain functions, so that tests
// can count what reaches the graphics library. Defaults call OpenGL.
struct RenderStateGraphics {
    void (*enable)(GLenum capability);
    void (*disable)(GLenum capability);
    void (*blendFunc)(GLenum source, GLenum destination);
    void (*frontFace)(GLenum mode);
    void (*polygonOffset)(GLfloat factor, GLfloat units);
    void (*depthFunc)(GLenum function);
    void (*polygonMode)(GLenum face, GLenum mode);
    void (*texParameteri)(GLenum target, GLenum name, GLint value);
    void (*clearColor)(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha);
    void (*viewport)(GLint x, GLint y, GLsizei width, GLsizei height);

    static RenderStateGraphics openGL();
};

class RenderState {
public:
    // ---- process-wide render settings ----
    inline static bool wireframe = false;
    inline static bool boundingBoxes = false;
    inline static bool tessellation = true;
    inline static float tessLevel = 30.0f;
    inline static float tessAttenuation = 0.2f;
    inline static bool fog = true;
    inline static GLenum minFilter = GL_LINEAR_MIPMAP_LINEAR;
    inline static GLenum magFilter = GL_LINEAR;
    inline static bool frustumCulling = true;
    inline static bool showFPS = true;
    inline static bool vertexArrayDebug = false;
    inline static bool transparency = true;
    inline static bool showHelp = false;
    inline static bool cheatView = false;
    inline static bool invertCameraVertical = false;
    inline static bool invertCameraHorizontal = false;

    // ---- graphics state cache: what the graphics library is assumed to hold ----
    inline static bool blendEnabled = true;
    inline static GLenum blendSource = GL_SRC_ALPHA;
    inline static GLenum blendDestination = GL_ONE_MINUS_SRC_ALPHA;
    inline static bool cullFaceEnabled = true;
    inline static GLenum frontFace = GL_CW;
    inline static bool polygonOffsetFillEnabled = false;
    inline static float polygonOffsetFactor = 1.1f;
    inline static float polygonOffsetUnits = 4.0f;
    inline static bool depthTestEnabled = true;
    inline static GLenum depthFunc = GL_LEQUAL;

    // The seam through which every graphics call of this class goes.
    inline static RenderStateGraphics graphics = RenderStateGraphics::openGL();

    // The cycles of the four cycling keys, position 0 first, and the names printed for the
    // filter entries.
    static const std::array<GLenum, 6> minFilters;
    static const std::array<std::string, 6> minFilterNames;
    static const std::array<GLenum, 2> magFilters;
    static const std::array<std::string, 2> magFilterNames;
    static const std::array<float, 2> tessLevels;
    static const std::array<float, 2> tessAttenuations;

    // Registers the debug keys with the manager, then pushes the whole cached state.
    explicit RenderState(InputManager& inputManager);
    RenderState(const RenderState&) = delete;
    RenderState& operator=(const RenderState&) = delete;

    // Clear colour, depth test and function, blending as transparency asks, blend function,
    // culling, front face (all through the cache) and the viewport of the window.
    static void applyInitialState(const ClientOptions& options);

    // ---- cached setters: the graphics library hears of a state only when it changes ----
    static void setBlend(bool enabled);
    static void setBlendFunc(GLenum source, GLenum destination);
    static void setCullFace(bool enabled);
    static void setFrontFace(GLenum mode);
    static void setPolygonOffsetFill(bool enabled);
    static void setPolygonOffset(float factor, float units);
    static void setDepthTest(bool enabled);
    static void setDepthFunc(GLenum function);

    // Stores the wireframe setting and switches the polygon mode, reporting the change; no
    // effect when the value is already set.
    static void setWireframe(bool value);

    // ---- the debug key actions, in registration order ----
    void toggleWireframe();
    void toggleBoundingBoxes();
    void toggleTessellation();
    void switchTessLevel();
    void switchTessAttenuation();
    void toggleFog();
    void switchMinFilter();
    void switchMagFilter();
    void toggleFrustumCulling();
    void toggleShowFPS();
    void toggleVertexArrayDebug();
    void toggleTransparency();
    void toggleShowHelp();
    void toggleCheatView();
    void toggleInvertCameraVertical();
    void toggleInvertCameraHorizontal();

    std::uint16_t minFilterIndex = 0;
    std::uint16_t magFilterIndex = 0;
    std::uint16_t tessLevelIndex = 0;
    std::uint16_t tessAttenuationIndex = 0;

private:
    void registerDebugKeys(InputManager& inputManager);
    static void pushWholeState();

    std::array<KeyActionRegistration, 16> keyRegistrations_;
};

}  // namespace VX3D
