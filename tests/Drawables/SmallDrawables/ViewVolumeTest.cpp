// The culling test of the scene drawables: what the view volume hides, and that it errs
// towards drawing (a box that is not wholly outside one plane is drawn).
#include "Drawables/ViewVolume/ViewVolume.h"
#include "Veltrix3D/RenderState.h"

#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

namespace {

std::vector<glm::vec3> box(glm::vec3 low, glm::vec3 high) {
    std::vector<glm::vec3> corners;
    for (int i = 0; i < 8; ++i) {
        corners.emplace_back(i & 1 ? high.x : low.x, i & 2 ? high.y : low.y,
                             i & 4 ? high.z : low.z);
    }
    return corners;
}

class ViewVolumeTest : public ::testing::Test {
protected:
    void SetUp() override {
        VX3D::RenderState::frustumCulling = true;
        // The eye at the origin looking down −z, near plane at 0.1, far at 100.
        const glm::mat4 projection = glm::perspective(glm::radians(60.0f), 1.0f, 0.1f, 100.0f);
        const glm::mat4 view =
            glm::lookAt(glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, -1.0f), glm::vec3(0.0f, 1.0f, 0.0f));
        VX3D::extractPlanes(projection * view);
    }
    void TearDown() override { VX3D::RenderState::frustumCulling = true; }
};

TEST_F(ViewVolumeTest, PlanesAreRowCombinationsInTheirOrder) {
    glm::mat4 m(0.0f);
    // Rows (1,0,0,0), (0,2,0,0), (0,0,3,0), (0,0,0,4), set through glm's [column][row].
    m[0][0] = 1.0f;
    m[1][1] = 2.0f;
    m[2][2] = 3.0f;
    m[3][3] = 4.0f;
    VX3D::extractPlanes(m);
    const auto& planes = VX3D::viewVolumePlanes();
    EXPECT_EQ(planes[0], glm::vec4(-1, 0, 0, 4));
    EXPECT_EQ(planes[1], glm::vec4(1, 0, 0, 4));
    EXPECT_EQ(planes[2], glm::vec4(0, 2, 0, 4));
    EXPECT_EQ(planes[3], glm::vec4(0, -2, 0, 4));
    EXPECT_EQ(planes[4], glm::vec4(0, 0, -3, 4));
    EXPECT_EQ(planes[5], glm::vec4(0, 0, 3, 4));
}

TEST_F(ViewVolumeTest, BoxInFrontIsVisibleAndBoxBehindTheNearPlaneIsNot) {
    EXPECT_TRUE(VX3D::isVisible(box({-0.5f, -0.5f, -6.0f}, {0.5f, 0.5f, -5.0f})));
    EXPECT_FALSE(VX3D::isVisible(box({-0.5f, -0.5f, 1.0f}, {0.5f, 0.5f, 2.0f})));
    // Wholly beyond the far plane, and wholly off to the left.
    EXPECT_FALSE(VX3D::isVisible(box({-0.5f, -0.5f, -300.0f}, {0.5f, 0.5f, -200.0f})));
    EXPECT_FALSE(VX3D::isVisible(box({-40.0f, -0.5f, -6.0f}, {-30.0f, 0.5f, -5.0f})));
}

TEST_F(ViewVolumeTest, BoxesStraddlingPlanesAreDrawn) {
    // Across the left plane: some corners inside the volume.
    EXPECT_TRUE(VX3D::isVisible(box({-40.0f, -0.5f, -6.0f}, {0.0f, 0.5f, -5.0f})));
    // Around the eye: no corner inside, but no plane has every corner outside it.
    EXPECT_TRUE(VX3D::isVisible(box({-1.0f, -1.0f, -1.0f}, {1.0f, 1.0f, 1.0f})));
    // Near the volume's corner but outside it: each plane has an inner corner, so drawn.
    EXPECT_TRUE(VX3D::isVisible({{-30.0f, 2.0f, -5.0f}, {2.0f, 30.0f, -5.0f}}));
}

TEST_F(ViewVolumeTest, EverythingIsVisibleWithCullingOff) {
    VX3D::RenderState::frustumCulling = false;
    EXPECT_TRUE(VX3D::isVisible(box({-0.5f, -0.5f, 1.0f}, {0.5f, 0.5f, 2.0f})));
    EXPECT_TRUE(VX3D::isVisible({}));
}

}  // namespace
