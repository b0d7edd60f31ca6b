// The sixteen debug keys: each switches one process-wide render setting and reports it.
#include "Veltrix3D/RenderState.h"

#include <iostream>

namespace VX3D {

const std::array<GLenum, 6> RenderState::minFilters = {GL_LINEAR_MIPMAP_LINEAR,
                                                       GL_LINEAR_MIPMAP_NEAREST,
                                                       GL_NEAREST_MIPMAP_LINEAR,
                                                       GL_NEAREST_MIPMAP_NEAREST,
                                                       GL_LINEAR,
                                                       GL_NEAREST};
const std::array<std::string, 6> RenderState::minFilterNames = {"GL_LINEAR_MIPMAP_LINEAR",
                                                                "GL_LINEAR_MIPMAP_NEAREST",
                                                                "GL_NEAREST_MIPMAP_LINEAR",
                                                                "GL_NEAREST_MIPMAP_NEAREST",
                                                                "GL_LINEAR",
                                                                "GL_NEAREST"};
const std::array<GLenum, 2> RenderState::magFilters = {GL_LINEAR, GL_NEAREST};
const std::array<std::string, 2> RenderState::magFilterNames = {"GL_LINEAR", "GL_NEAREST"};
const std::array<float, 2> RenderState::tessLevels = {30.0f, 15.0f};
const std::array<float, 2> RenderState::tessAttenuations = {0.2f, 1.0f};

namespace {

const char* onOff(bool value) {
    return value ? "on" : "off";
}

// Flips a setting and prints prefix + its new state.
void flip(bool& setting, const char* prefix) {
    setting = !setting;
    std::cout << prefix << onOff(setting) << std::endl;
}

// Steps a cycle position: the first press after creation selects entry 1.
template <std::size_t N>
std::size_t advance(std::uint16_t& position) {
    position = static_cast<std::uint16_t>((position + 1u) % N);
    return position;
}

}  // namespace

void RenderState::registerDebugKeys(InputManager& inputManager) {
    struct DebugKey {
        int code;
        const char* description;
        void (RenderState::*action)();
    };
    static constexpr DebugKey keys[16] = {
        {260, "Toggle Wireframe Mode", &RenderState::toggleWireframe},
        {74, "Toggle BoundingBox Mode", &RenderState::toggleBoundingBoxes},
        {267, "Toggle Tesselation Mode", &RenderState::toggleTessellation},
        {268, "Switch TessLevel", &RenderState::switchTessLevel},
        {269, "Switch TessAttenuation", &RenderState::switchTessAttenuation},
        {264, "Toggle Fog Mode", &RenderState::toggleFog},
        {261, "Switch Min-Filter Mode", &RenderState::switchMinFilter},
        {262, "Switch Mag-Filter Mode", &RenderState::switchMagFilter},
        {265, "Switch frustrum culling", &RenderState::toggleFrustumCulling},
        {259, "Switch FPS display", &RenderState::toggleShowFPS},
        {263, "Switch vertex array usage", &RenderState::toggleVertexArrayDebug},
        {266, "switch use transparency", &RenderState::toggleTransparency},
        {258, "Switch display of help", &RenderState::toggleShowHelp},
        {75, "Switch watching of ai move", &RenderState::toggleCheatView},
        {89, "Invert camera moving vertically", &RenderState::toggleInvertCameraVertical},
        {88, "Invert camera moving horizontally", &RenderState::toggleInvertCameraHorizontal},
    };
    for (std::size_t i = 0; i < keyRegistrations_.size(); ++i) {
        const DebugKey& key = keys[i];
        auto token = inputManager.registerKeyAction(
            InputManager::pressAction, key.code, [this, action = key.action] { (this->*action)(); },
            key.description);
        keyRegistrations_[i] = KeyActionRegistration(&inputManager, std::move(token));
    }
}

void RenderState::setWireframe(bool value) {
    if (value == wireframe) return;
    wireframe = value;
    std::cout << "Wireframe Mode turned " << onOff(value) << std::endl;
    graphics.polygonMode(GL_FRONT_AND_BACK, value ? GL_LINE : GL_FILL);
}

void RenderState::toggleWireframe() {
    setWireframe(!wireframe);
}

void RenderState::toggleBoundingBoxes() {
    flip(boundingBoxes, "Boundingbox Mode turned ");
}

void RenderState::toggleTessellation() {
    flip(tessellation, "Tesselation turned ");
}

void RenderState::switchTessLevel() {
    const float entry = tessLevels[advance<tessLevels.size()>(tessLevelIndex)];
    if (entry == tessLevel) return;
    tessLevel = entry;
    std::cout << "TesselationLevel switched to " << entry << std::endl;
}

void RenderState::switchTessAttenuation() {
    const float entry = tessAttenuations[advance<tessAttenuations.size()>(tessAttenuationIndex)];
    if (entry == tessAttenuation) return;
    tessAttenuation = entry;
    std::cout << "TesselationAttenuation switched to " << entry << std::endl;
}

void RenderState::toggleFog() {
    flip(fog, "Fog turned ");
}

void RenderState::switchMinFilter() {
    const std::size_t position = advance<minFilters.size()>(minFilterIndex);
    if (minFilters[position] != minFilter) {
        minFilter = minFilters[position];
        graphics.texParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
    }
    std::cout << "MinFilter switched to " << minFilterNames[position] << " Mode." << std::endl;
}

void RenderState::switchMagFilter() {
    const std::size_t position = advance<magFilters.size()>(magFilterIndex);
    if (magFilters[position] != magFilter) {
        magFilter = magFilters[position];
        graphics.texParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(magFilter));
    }
    std::cout << "MagFilter switched to " << magFilterNames[position] << " Mode." << std::endl;
}

void RenderState::toggleFrustumCulling() {
    flip(frustumCulling, "Frustrum Culling turned ");
}

void RenderState::toggleShowFPS() {
    flip(showFPS, "FPS drawing turned ");
}

void RenderState::toggleVertexArrayDebug() {
    flip(vertexArrayDebug, "Vertex Array drawing turned ");
}

void RenderState::toggleTransparency() {
    flip(transparency, "Transparent Drawing turned ");
    // Blending follows at once, and the cache learns of it, so a later request to enable
    // blending reaches the graphics library again.
    if (transparency != blendEnabled) {
        blendEnabled = transparency;
        if (transparency)
            graphics.enable(GL_BLEND);
        else
            graphics.disable(GL_BLEND);
    }
}

void RenderState::toggleShowHelp() {
    flip(showHelp, "Using Help Display: ");
}

void RenderState::toggleCheatView() {
    flip(cheatView, "Cheat view turned ");
}

void RenderState::toggleInvertCameraVertical() {
    flip(invertCameraVertical, "Cam vertical inversion turned ");
}

void RenderState::toggleInvertCameraHorizontal() {
    flip(invertCameraHorizontal, "Cam horizontal inversion turned ");
}

}  // namespace VX3D
