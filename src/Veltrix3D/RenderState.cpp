#include "Veltrix3D/RenderState.h"

namespace VX3D {

RenderStateGraphics RenderStateGraphics::openGL() {
    RenderStateGraphics calls{};
    calls.enable = [](GLenum capability) { glEnable(capability); };
    calls.disable = [](GLenum capability) { glDisable(capability); };
    calls.blendFunc = [](GLenum source, GLenum destination) { glBlendFunc(source, destination); };
    calls.frontFace = [](GLenum mode) { glFrontFace(mode); };
    calls.polygonOffset = [](GLfloat factor, GLfloat units) { glPolygonOffset(factor, units); };
    calls.depthFunc = [](GLenum function) { glDepthFunc(function); };
    calls.polygonMode = [](GLenum face, GLenum mode) { glPolygonMode(face, mode); };
    calls.texParameteri = [](GLenum target, GLenum name, GLint value) {
        glTexParameteri(target, name, value);
    };
    calls.clearColor = [](GLfloat r, GLfloat g, GLfloat b, GLfloat a) { glClearColor(r, g, b, a); };
    calls.viewport = [](GLint x, GLint y, GLsizei w, GLsizei h) { glViewport(x, y, w, h); };
    return calls;
}

namespace {

void setCapability(GLenum capability, bool enabled) {
    if (enabled)
        RenderState::graphics.enable(capability);
    else
        RenderState::graphics.disable(capability);
}

}  // namespace

RenderState::RenderState(InputManager& inputManager) {
    registerDebugKeys(inputManager);
    pushWholeState();
}

void RenderState::pushWholeState() {
    // Unconditional: whatever the graphics library held before, it now agrees with the cache.
    graphics.polygonMode(GL_FRONT_AND_BACK, wireframe ? GL_LINE : GL_FILL);
    setCapability(GL_BLEND, blendEnabled);
    graphics.blendFunc(blendSource, blendDestination);
    setCapability(GL_CULL_FACE, cullFaceEnabled);
    graphics.frontFace(frontFace);
    graphics.texParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
    graphics.texParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(magFilter));
    setCapability(GL_POLYGON_OFFSET_FILL, polygonOffsetFillEnabled);
    graphics.polygonOffset(polygonOffsetFactor, polygonOffsetUnits);
    setCapability(GL_DEPTH_TEST, depthTestEnabled);
    graphics.depthFunc(depthFunc);
}

void RenderState::applyInitialState(const ClientOptions& options) {
    graphics.clearColor(0.0f, 0.0f, 0.0f, 1.0f);
    setDepthTest(true);
    setDepthFunc(GL_LEQUAL);
    if (transparency) setBlend(true);
    setBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    setCullFace(true);
    setFrontFace(GL_CW);
    graphics.viewport(0, 0, options.width, options.height == 0 ? 1 : options.height);
}

void RenderState::setBlend(bool enabled) {
    if (enabled == blendEnabled) return;
    setCapability(GL_BLEND, enabled);
    blendEnabled = enabled;
}

void RenderState::setBlendFunc(GLenum source, GLenum destination) {
    if (source == blendSource && destination == blendDestination) return;
    graphics.blendFunc(source, destination);
    blendSource = source;
    blendDestination = destination;
}

void RenderState::setCullFace(bool enabled) {
    if (enabled == cullFaceEnabled) return;
    setCapability(GL_CULL_FACE, enabled);
    cullFaceEnabled = enabled;
}

void RenderState::setFrontFace(GLenum mode) {
    if (mode == frontFace) return;
    graphics.frontFace(mode);
    frontFace = mode;
}

void RenderState::setPolygonOffsetFill(bool enabled) {
    if (enabled == polygonOffsetFillEnabled) return;
    setCapability(GL_POLYGON_OFFSET_FILL, enabled);
    polygonOffsetFillEnabled = enabled;
}

void RenderState::setPolygonOffset(float factor, float units) {
    if (factor == polygonOffsetFactor && units == polygonOffsetUnits) return;
    graphics.polygonOffset(factor, units);
    polygonOffsetFactor = factor;
    polygonOffsetUnits = units;
}

void RenderState::setDepthTest(bool enabled) {
    if (enabled == depthTestEnabled) return;
    setCapability(GL_DEPTH_TEST, enabled);
    depthTestEnabled = enabled;
}

void RenderState::setDepthFunc(GLenum function) {
    if (function == depthFunc) return;
    graphics.depthFunc(function);
    depthFunc = function;
}

}  // namespace VX3D
