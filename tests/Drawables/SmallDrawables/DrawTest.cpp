// The small drawables against a real context: each draws without a graphics error and
// shows what it should where it should (colour probes, and a picture to look at).
#include "SmallDrawablesFixture.h"

#include "Drawables/BoundingBox/BoundingBox.h"
#include "Drawables/Cube/Cube.h"
#include "Drawables/Statusbar/Statusbar.h"

namespace {

using SmallDrawablesTest::SceneFixture;

class Markers : public SceneFixture {};

TEST_F(Markers, BoxCubeAndHalfStatusbar_DrawWhereExpected) {
    const glm::mat4 viewProjection = projection() * view({1.6f, 1.4f, 2.4f}, {0.0f, 0.35f, 0.0f});
    VX3D::BoundingBox box(0.5f, -0.5f, 0.7f, 0.0f, 0.5f, -0.5f, glm::mat4(1.0f));
    VX3D::Cube cube({0.4f, 0.5f, 0.4f}, {0.9f, 0.1f, 0.1f, 1.0f});
    VX3D::Statusbar bar(40);
    bar.current = 20;

    cube.draw(viewProjection);
    box.draw(viewProjection);
    bar.draw(view({1.6f, 1.4f, 2.4f}, {0.0f, 0.35f, 0.0f}), projection(), {0.0f, 0.9f, 0.0f});
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    keepPicture("small_drawables_markers.png");

    // The cube's red at its projected centre.
    const glm::vec4 clip = viewProjection * glm::vec4(0.0f, 0.25f, 0.0f, 1.0f);
    const int cx = int((clip.x / clip.w * 0.5f + 0.5f) * SmallDrawablesTest::kSize);
    const int cy = int((clip.y / clip.w * 0.5f + 0.5f) * SmallDrawablesTest::kSize);
    const auto red = pixel(cx, cy);
    EXPECT_GT(red[0], 200);
    EXPECT_LT(red[1], 60);
    // The bar's yellow at its anchor, blended at 0.8 over the background.
    const glm::vec4 barClip = viewProjection * glm::vec4(0.0f, 0.93f, 0.0f, 1.0f);
    const auto yellow =
        pixel(int((barClip.x / barClip.w * 0.5f + 0.5f) * SmallDrawablesTest::kSize),
              int((barClip.y / barClip.w * 0.5f + 0.5f) * SmallDrawablesTest::kSize));
    EXPECT_NEAR(yellow[0], 0.8 * 127 + 0.2 * 64, 6);
    EXPECT_NEAR(yellow[1], 0.8 * 127 + 0.2 * 77, 6);
    EXPECT_LT(yellow[2], 30);
}

TEST_F(Markers, BoundingBox_KeepsItsCornersUntilCleared) {
    VX3D::BoundingBox box(1.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f,
                          glm::translate(glm::mat4(1.0f), {2.0f, 0.0f, 0.0f}));
    const glm::mat4 elsewhere = glm::translate(glm::mat4(1.0f), {5.0f, 0.0f, 0.0f});
    EXPECT_FLOAT_EQ(box.transformedCorners(elsewhere)[0].x, 3.0f) << "kept from construction";
    box.clearCorners();
    EXPECT_FLOAT_EQ(box.transformedCorners(elsewhere)[0].x, 6.0f);
    EXPECT_EQ(box.modelMatrix(), elsewhere);
}

}  // namespace
