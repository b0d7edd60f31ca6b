// Food, portals and the move indicator against a real context, with the game's shipped
// models and shaders: placement, culling boxes that follow a moved portal, and draws
// without a graphics error (and a picture to look at).
#include "SmallDrawablesFixture.h"

#include "Drawables/Food/Food.h"
#include "Drawables/MoveIndicator/MoveIndicator.h"
#include "Drawables/Portal/Portal.h"
#include "Drawables/Sun/Sun.h"
#include "Drawables/ViewVolume/ViewVolume.h"
#include "Shader/ProgramRegistry.h"

namespace {

using SmallDrawablesTest::SceneFixture;

glm::vec3 centreOf(const std::vector<glm::vec3>& corners) {
    glm::vec3 sum(0.0f);
    for (const auto& c : corners) sum += c;
    return sum / float(corners.size());
}

class ModelDrawables : public SceneFixture {};

TEST_F(ModelDrawables, FoodOnCell2_3_IsCentredOnItsCell) {
    VX3D::Food food({2, 3});
    EXPECT_EQ(glm::vec3(food.modelMatrix * glm::vec4(0, 0, 0, 1)), glm::vec3(2.5f, 0.0f, -3.5f));
    const glm::vec3 centre = centreOf(food.box().transformedCorners(food.modelMatrix));
    EXPECT_NEAR(centre.x, 2.5f, 0.1f);
    EXPECT_NEAR(centre.z, -3.5f, 0.1f);
}

TEST_F(ModelDrawables, MovedPortal_BoxesFollowAtTheNextCullingTest) {
    VX3D::Sun sun(10);
    const GLutil::Texture energy("res/Textures/EnergyG.png", 0);
    VX3D::Portal portal({0, 0}, {1, 1}, {0, 1, 0, 1}, energy);
    const glm::mat4 viewProjection = projection() * view({3.0f, 4.0f, 3.0f}, {3.0f, 0.0f, -3.0f});
    VX3D::extractPlanes(viewProjection);
    VX3D::FrameClock clock(0.0);
    portal.draw(viewProjection, {3.0f, 4.0f, 3.0f}, sun, clock, nullptr);
    EXPECT_NEAR(centreOf(portal.box(0).transformedCorners(glm::mat4(1.0f))).x, 0.5f, 0.3f);

    portal.setPositions({5, 5}, {6, 2});
    portal.draw(viewProjection, {3.0f, 4.0f, 3.0f}, sun, clock, nullptr);
    // Any matrix now: the kept corners are those the culling test computed.
    const glm::vec3 entry = centreOf(portal.box(0).transformedCorners(glm::mat4(1.0f)));
    const glm::vec3 exit = centreOf(portal.box(1).transformedCorners(glm::mat4(1.0f)));
    EXPECT_NEAR(entry.x, 5.5f, 0.3f);
    EXPECT_NEAR(entry.z, -5.5f, 0.3f);
    EXPECT_NEAR(exit.x, 6.5f, 0.3f);
    EXPECT_NEAR(exit.z, -2.5f, 0.3f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ModelDrawables, FoodPortalAndIndicator_DrawWithoutErrorAfterReload) {
    const glm::vec3 eye(2.2f, 2.6f, 1.6f);
    const glm::mat4 viewProjection = projection() * view(eye, {1.5f, 0.2f, -1.2f});
    VX3D::extractPlanes(viewProjection);
    VX3D::Sun sun(10);
    const GLutil::Texture energy("res/Textures/EnergyM.png", 0);
    VX3D::Portal portal({0, 1}, {2, 0}, {1, 0, 1, 1}, energy);
    VX3D::Food food({1, 0});
    VX3D::MoveIndicator indicator(0, {0, 0}, {0.5f, 0.0f, -0.5f, 1.0f});
    indicator.setTarget({1.7f, 0.0f, -1.6f, 1.0f});
    EXPECT_EQ(indicator.quantisedDirection(), glm::ivec2(1, 1));
    EXPECT_EQ(indicator.markerPosition(), glm::vec3(1.5f, 0.0f, -1.5f));
    VX3D::RenderState::boundingBoxes = true;

    // The reload key first: the lit programs must find their samplers on their units again,
    // with no shadow map bound (as before the first shadow pass). Mesa lets a draw with two
    // sampler types on one unit pass, other drivers refuse it: the units are read back.
    {
        SmallDrawablesTest::Silence silence;
        GLutil::ProgramRegistry::reloadAll();
    }
    for (GLutil::ShaderProgram* program : {&VX3D::Food::litProgram(), &portal.litProgram()}) {
        GLint textureUnit = -1, shadowUnit = -1;
        glGetUniformiv(program->id(), program->uniformLocation("textureMap"), &textureUnit);
        glGetUniformiv(program->id(), program->uniformLocation("shadowMap"), &shadowUnit);
        EXPECT_EQ(textureUnit, 0) << program->name();
        EXPECT_EQ(shadowUnit, 4) << program->name();
    }
    VX3D::FrameClock clock(0.0);
    clock.current = 3.0;
    food.drawShadow(sun.lightMatrix(), eye, clock);
    portal.drawShadow(sun.lightMatrix(), eye, clock);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    food.draw(viewProjection, eye, sun, clock, nullptr);
    portal.draw(viewProjection, eye, sun, clock, nullptr);
    indicator.draw(viewProjection);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    keepPicture("small_drawables_models.png");
}

}  // namespace
