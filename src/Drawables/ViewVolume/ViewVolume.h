#pragma once
// The view volume of the frame: six planes taken once per frame from the view-projection
// matrix, against which drawables test their bounding boxes before drawing. The planes are
// process-wide; the game controller refreshes them before the scene is drawn.
#include <glm/glm.hpp>

#include <array>
#include <vector>

namespace VX3D {

// Sets the six planes from the rows r0..r3 of the view-projection matrix, in the order
// r3 − r0, r3 + r0, r3 + r1, r3 − r1, r3 − r2, r3 + r2 (right, left, bottom, top, far, near).
// The planes are not normalised: only the sign of a·x + b·y + c·z + d is ever used.
void extractPlanes(const glm::mat4& viewProjection);

// Whether anything of the points (the corners of a bounding box) may be seen. Always true
// while RenderState::frustumCulling is off. Otherwise true as soon as one point lies inside
// all six planes, and else true unless every point lies outside one and the same plane. A box
// that straddles a corner of the volume is thus drawn although it may be invisible: the test
// errs towards drawing. An empty list is never visible.
bool isVisible(std::vector<glm::vec3> points);

// The planes set by the last extractPlanes (all zero before the first).
const std::array<glm::vec4, 6>& viewVolumePlanes();

}  // namespace VX3D
