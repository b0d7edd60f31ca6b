#include "Drawables/Food/Food.h"

#include "Drawables/Food/ModelPrograms.h"
#include "Drawables/SceneObject/SceneObject.h"
#include "Drawables/ViewVolume/ViewVolume.h"
#include "Shader/ContextObjects.h"
#include "Veltrix3D/RenderState.h"

#include <glm/gtc/matrix_transform.hpp>

namespace VX3D {

namespace {

struct SharedFood {
    GLutil::drawableObjects::SceneObject model;
    std::shared_ptr<GLutil::ShaderProgram> program;
    std::shared_ptr<GLutil::ShaderProgram> shadowProgram;
};

SharedFood makeSharedFood() {
    SharedFood food{GLutil::drawableObjects::SceneObject(
                        GLutil::drawableObjects::SceneObjectOpt{"./res/Food.DAE"}),
                    makeLitModelProgram("FoodShader"), makeModelShadowProgram("FoodShadowShader")};
    food.model.genVAO(0, 1, 2);
    return food;
}

SharedFood& sharedFood() {
    // Made by the first piece and kept until the shutdown releases it; being made inside the
    // static's initialisation, it goes before the program registry and texture cache it uses.
    static GLutil::Kept<SharedFood> food(
        [] { return std::make_unique<SharedFood>(makeSharedFood()); });
    return *food;
}

BoundingBox modelBox(const glm::mat4& modelMatrix) {
    const auto& model = sharedFood().model;
    return BoundingBox(model.bbMax.x, model.bbMin.x, model.bbMax.y, model.bbMin.y, model.bbMax.z,
                       model.bbMin.z, modelMatrix * model.localTransform);
}

}  // namespace

glm::mat4 Food::placementOf(Veltrix::Position cell) {
    return glm::translate(glm::mat4(1.0f),
                          glm::vec3(float(cell.x) + 0.5f, 0.0f, -(float(cell.y) + 0.5f)));
}

GLutil::ShaderProgram& Food::litProgram() {
    return *sharedFood().program;
}

Food::Food(Veltrix::Position cell)
    : cell(cell), modelMatrix(placementOf(cell)), box_(modelBox(modelMatrix)) {}

void Food::draw(const glm::mat4& viewProjection, const glm::vec3& eye, const Sun& sun,
                const FrameClock& clock, const ShadowMap& shadowMap) {
    auto& food = sharedFood();
    if (!isVisible(box_.transformedCorners(modelMatrix * food.model.localTransform))) {
        return;
    }
    if (RenderState::boundingBoxes) {
        box_.draw(viewProjection);
    }
    food.program->use();
    food.model.draw(viewProjection, modelMatrix, eye, false, sun.light(), clock, *food.program,
                    shadowMap);
    GLutil::ShaderProgram::unuse();
}

void Food::drawShadow(const glm::mat4& lightViewProjection, const glm::vec3& eye,
                      const FrameClock& clock) {
    auto& food = sharedFood();
    food.shadowProgram->use();
    food.model.drawShadow(lightViewProjection, modelMatrix, eye, clock, *food.shadowProgram);
    GLutil::ShaderProgram::unuse();
}

}  // namespace VX3D
