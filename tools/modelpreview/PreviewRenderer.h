#pragma once
// Off-screen rendering of one model the way the game draws it: a depth pass from a
// sun above into a shadow map ("Shader/shadow.*"), then the lit pass
// ("./Shader/testshader1.*") into three colour targets on a small ground square,
// composited on the CPU (colour darkened by the shadow mask). The flat-colour
// program ("Shader/Solid.*") can be drawn instead of the lit one.
//
// Needs a current OpenGL 4 context with GLEW initialised and the game's working
// directory as the current directory (shader and texture paths are relative to it).
#include "Drawables/SceneObject/SceneObject.h"
#include "Shader/ShaderProgram.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace VX3DPreview {

enum class ModelKind { Ant, Portal, Plain };

// The placement the game gives a model of this file name ("AntAnim..." are ants,
// "Portal..." portals, anything else the identity).
ModelKind kindOf(const std::string& path);
glm::mat4 placementFor(ModelKind kind, const glm::mat4& rootLocal);

struct View {
    float yawDegrees = 35.0f;    // camera around the model, 0 looks along -z
    float pitchDegrees = 25.0f;  // above the horizon
    float distance = 0.0f;       // 0: fitted to the model
    bool ground = true;
};

enum class Pass { Lit, Solid, ShadowDepth };

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // top row first
};

class PreviewRenderer {
public:
    PreviewRenderer(int width, int height);

    // Loads a model (genVAO with slots 0, 1, 2) and sets the game's placement.
    static GLutil::drawableObjects::SceneObject loadModel(const std::string& path);

    // Shows `clip` at `clipTime` (0..2 units of the clip; clip < 0: rest pose).
    Image render(GLutil::drawableObjects::SceneObject& model, ModelKind kind, int clip,
                 double clipTime, const View& view, Pass pass = Pass::Lit);

    // Raw targets of the last render (bottom row first): lit colour, shadow mask, depth
    // of the scene pass as 0..255 of the window-space depth.
    const std::vector<std::uint8_t>& colourTarget() const { return colour_; }
    const std::vector<std::uint8_t>& maskTarget() const { return mask_; }
    const std::vector<float>& depthTarget() const { return depth_; }
    // Depth values of the last shadow map, bottom row first (1 = nothing drawn).
    const std::vector<float>& shadowDepth() const { return shadowDepth_; }
    int width() const { return width_; }
    int height() const { return height_; }
    static constexpr int shadowSize = 1024;

    std::shared_ptr<GLutil::ShaderProgram> litProgram, shadowProgram, solidProgram;

private:
    int width_, height_;
    std::vector<std::uint8_t> colour_, mask_;
    std::vector<float> depth_, shadowDepth_;
};

void writePng(const Image& image, const std::string& path);

}  // namespace VX3DPreview
