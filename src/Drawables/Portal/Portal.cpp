#include "Drawables/Portal/Portal.h"

#include "Drawables/Food/Food.h"
#include "Drawables/Food/ModelPrograms.h"
#include "Drawables/ViewVolume/ViewVolume.h"
#include "Veltrix3D/RenderState.h"

#include <glm/gtc/matrix_transform.hpp>

#include <limits>

namespace VX3D {

namespace {

using GLutil::drawableObjects::SceneObject;
using GLutil::drawableObjects::SceneObjectOpt;

SceneObject loadPortalModel() {
    const glm::mat4 identity(1.0f);
    SceneObject model(SceneObjectOpt{"./res/Portal.DAE", Portal::placement(identity)});
    // The placement contains the root's own transform, known only once the file is read:
    // read again in the rare case that it is not the identity (the shipped model's is).
    if (model.valid() && model.localTransform != identity) {
        model = SceneObject(
            SceneObjectOpt{"./res/Portal.DAE", Portal::placement(model.localTransform)});
    }
    model.genVAO(0, 1, 2);
    return model;
}

// Widens [low, high] by every vertex of the node and its children, as drawn relative to the
// root's local transform: the root's vertices under its placement, a child's under the
// placement and the local transforms down to it.
void widen(const SceneObject& node, const glm::mat4& toRoot, glm::vec3& low, glm::vec3& high) {
    for (const glm::vec3& p : node.positions) {
        const glm::vec3 q(toRoot * glm::vec4(p, 1.0f));
        low = glm::min(low, q);
        high = glm::max(high, q);
    }
    for (const SceneObject& child : node.children) {
        widen(child, toRoot * child.localTransform, low, high);
    }
}

// The loader's box widens a node's box by its children's boxes in the children's own
// frames; the cone stands on its side in its frame, so that box would reach a whole cell
// past the ring. The box here is fitted to the geometry as drawn.
BoundingBox boxOf(const SceneObject& model, const glm::mat4& matrix) {
    glm::vec3 low(std::numeric_limits<float>::infinity()),
        high(-std::numeric_limits<float>::infinity());
    widen(model, model.placement, low, high);
    if (low.x > high.x) {
        low = high = glm::vec3(0.0f);  // an unreadable model: a point box, culled like a point
    }
    return BoundingBox(high.x, low.x, high.y, low.y, high.z, low.z, matrix);
}

}  // namespace

glm::mat4 Portal::placement(const glm::mat4& rootLocal) {
    return glm::translate(glm::mat4(1.0f), glm::vec3(0.05f, 0.0f, 0.1f)) *
           glm::scale(glm::mat4(1.0f), glm::vec3(3.9f, 1.4f, 3.5f)) * rootLocal;
}

glm::mat4 Portal::spin(const glm::mat4& initial, double secondsSinceStart) {
    return initial * glm::rotate(glm::mat4(1.0f), glm::radians(float(-15.0 * secondsSinceStart)),
                                 glm::vec3(0.0f, 0.0f, 1.0f));
}

Portal::Portal(Veltrix::Position entry, Veltrix::Position exit, const glm::vec4& colour,
               const GLutil::Texture& energy)
    : ends_{entry, exit},
      endMatrices_{Food::placementOf(entry), Food::placementOf(exit)},
      colour_(colour),
      model_(loadPortalModel()),
      coneInitial_(cone().localTransform),
      boxes_{boxOf(model_, boxMatrix(0)), boxOf(model_, boxMatrix(1))},
      program_(makeLitModelProgram("PortalShader")),
      shadowProgram_(makeModelShadowProgram("PortalShadowShader")) {
    cone().texture = energy;
}

GLutil::drawableObjects::SceneObject& Portal::cone() {
    // Looked up rather than kept as a pointer, so a moved or copied portal spins its own cone.
    SceneObject* node = model_.find("Cone001");
    return node ? *node : model_;
}

void Portal::setPositions(Veltrix::Position entry, Veltrix::Position exit) {
    ends_ = {entry, exit};
    endMatrices_ = {Food::placementOf(entry), Food::placementOf(exit)};
    boxes_[0].clearCorners();
    boxes_[1].clearCorners();
}

void Portal::draw(const glm::mat4& viewProjection, const glm::vec3& eye, const Sun& sun,
                  const FrameClock& clock, const ShadowMap& shadowMap) {
    std::array<bool, 2> visible{};
    for (int i = 0; i < 2; ++i) {
        visible[i] = isVisible(boxes_[i].transformedCorners(boxMatrix(i)));
        if (visible[i] && RenderState::boundingBoxes) {
            boxes_[i].draw(viewProjection);
        }
    }
    if (!visible[0] && !visible[1]) {
        return;
    }
    program_->use();
    cone().localTransform = spin(coneInitial_, clock.current - clock.start);
    // The cone is see-through: its far side first (front faces culled), then its near side.
    const auto light = sun.light();
    for (GLenum culled : {GL_FRONT, GL_BACK}) {
        glCullFace(culled);
        for (int i = 0; i < 2; ++i) {
            if (visible[i]) {
                model_.draw(viewProjection, endMatrices_[i], eye, true, light, clock, *program_,
                            shadowMap);
            }
        }
    }
    GLutil::ShaderProgram::unuse();
}

void Portal::drawShadow(const glm::mat4& lightViewProjection, const glm::vec3& eye,
                        const FrameClock& clock) {
    shadowProgram_->use();
    for (const glm::mat4& end : endMatrices_) {
        model_.drawShadow(lightViewProjection, end, eye, clock, *shadowProgram_);
    }
    GLutil::ShaderProgram::unuse();
}

}  // namespace VX3D
