// The status bar's colour and shape: green when full, red when empty, shrinking towards its
// centre and always facing the camera.
#include "Drawables/Statusbar/Statusbar.h"

#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

namespace {

void expectNear(const glm::vec4& actual, const glm::vec4& expected) {
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(actual[i], expected[i], 1e-5f) << "component " << i;
}

TEST(Statusbar, ColourRunsFromGreenThroughYellowToRed) {
    expectNear(VX3D::Statusbar::colour(1.0f), {0.0f, 1.0f, 0.0f, 0.8f});
    expectNear(VX3D::Statusbar::colour(0.5f), {0.5f, 0.5f, 0.0f, 0.8f});
    expectNear(VX3D::Statusbar::colour(0.0f), {1.0f, 0.0f, 0.0f, 0.8f});
}

TEST(Statusbar, HalfFullBarIsHalfAsWideAndFacesTheCamera) {
    // From an eye off every axis, the bar's corner must lie along the camera's own x axis,
    // half as far from the anchor as when full.
    const glm::mat4 view =
        glm::lookAt(glm::vec3(3.0f, 2.0f, 5.0f), glm::vec3(0.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    const glm::mat4 projection(1.0f);
    const glm::vec3 anchor(1.5f, 0.6f, -2.5f);
    const glm::vec4 centre = view * glm::vec4(anchor, 1.0f);
    const glm::mat4 half = VX3D::Statusbar::modelViewProjection(view, projection, anchor, 0.5f);
    expectNear(half * glm::vec4(0.25f, 0.0f, 0.0f, 1.0f),
               centre + glm::vec4(0.125f, 0.0f, 0.0f, 0.0f));
    expectNear(half * glm::vec4(-0.25f, 0.06f, 0.0f, 1.0f),
               centre + glm::vec4(-0.125f, 0.06f, 0.0f, 0.0f));
}

TEST(Statusbar, FractionIsHeldBetweenEmptyAndFull) {
    EXPECT_FLOAT_EQ(VX3D::Statusbar::fraction(20, 40), 0.5f);
    EXPECT_FLOAT_EQ(VX3D::Statusbar::fraction(-3, 40), 0.0f);
    EXPECT_FLOAT_EQ(VX3D::Statusbar::fraction(50, 40), 1.0f);
    EXPECT_FLOAT_EQ(VX3D::Statusbar::fraction(0, 0), 0.0f);
}

}  // namespace
