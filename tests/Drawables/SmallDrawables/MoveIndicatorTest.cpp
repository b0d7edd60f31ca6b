// The step a drag asks for: eight neighbour directions or none, in field terms (field y
// grows towards world −z).
#include "Drawables/MoveIndicator/MoveIndicator.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const glm::vec4 kStart(0.5f, 0.35f, -0.5f, 1.0f);  // above the centre of cell (0, 0)

// The end of a drag of the given length at an angle from the field's x axis towards its y axis.
glm::vec4 dragged(float degrees, float length) {
    const float a = degrees * 3.14159265f / 180.0f;
    return {kStart.x + length * std::cos(a), 0.0f, kStart.z - length * std::sin(a), 1.0f};
}

TEST(MoveIndicatorDirection, AnglesGiveStraightAndDiagonalSteps) {
    using VX3D::MoveIndicator;
    EXPECT_EQ(MoveIndicator::quantise(kStart, dragged(0.0f, 2.0f)), glm::ivec2(1, 0));
    EXPECT_EQ(MoveIndicator::quantise(kStart, dragged(20.0f, 2.0f)), glm::ivec2(1, 0));
    EXPECT_EQ(MoveIndicator::quantise(kStart, dragged(45.0f, 2.0f)), glm::ivec2(1, 1));
    EXPECT_EQ(MoveIndicator::quantise(kStart, dragged(70.0f, 2.0f)), glm::ivec2(0, 1));
    EXPECT_EQ(MoveIndicator::quantise(kStart, dragged(180.0f, 2.0f)), glm::ivec2(-1, 0));
    EXPECT_EQ(MoveIndicator::quantise(kStart, dragged(225.0f, 2.0f)), glm::ivec2(-1, -1));
    EXPECT_EQ(MoveIndicator::quantise(kStart, dragged(-90.0f, 2.0f)), glm::ivec2(0, -1));
}

TEST(MoveIndicatorDirection, CellTargetsAndShortDrags) {
    using VX3D::MoveIndicator;
    // From cell (0, 0): to the centre of cell (3, 0), and to the centre of cell (0, 3).
    EXPECT_EQ(MoveIndicator::quantise(kStart, {3.5f, 0.0f, -0.5f, 1.0f}), glm::ivec2(1, 0));
    EXPECT_EQ(MoveIndicator::quantise(kStart, {0.5f, 0.0f, -3.5f, 1.0f}), glm::ivec2(0, 1));
    // Within half a cell on both axes: no step, even diagonally beyond 0.5 in length.
    EXPECT_EQ(MoveIndicator::quantise(kStart, {0.9f, 0.0f, -0.9f, 1.0f}), glm::ivec2(0, 0));
    // Half a cell on one axis is enough.
    EXPECT_EQ(MoveIndicator::quantise(kStart, {0.5f, 0.0f, 0.0f, 1.0f}), glm::ivec2(0, -1));
}

}  // namespace
