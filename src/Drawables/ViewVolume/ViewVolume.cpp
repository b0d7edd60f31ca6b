#include "Drawables/ViewVolume/ViewVolume.h"

#include "Veltrix3D/RenderState.h"

#include <algorithm>

namespace VX3D {

namespace {

std::array<glm::vec4, 6>& planes() {
    static std::array<glm::vec4, 6> viewVolume{};
    return viewVolume;
}

// A point on a plane counts as outside, so a box that only touches the volume is culled.
bool inside(const glm::vec4& plane, const glm::vec3& point) {
    return glm::dot(plane, glm::vec4(point, 1.0f)) > 0.0f;
}

}  // namespace

void extractPlanes(const glm::mat4& viewProjection) {
    // glm indexes [column][row]; the planes are combinations of the matrix's rows.
    const auto row = [&viewProjection](int i) {
        return glm::vec4(viewProjection[0][i], viewProjection[1][i], viewProjection[2][i],
                         viewProjection[3][i]);
    };
    const glm::vec4 r0 = row(0), r1 = row(1), r2 = row(2), r3 = row(3);
    planes() = {r3 - r0, r3 + r0, r3 + r1, r3 - r1, r3 - r2, r3 + r2};
}

bool isVisible(std::vector<glm::vec3> points) {
    if (!RenderState::frustumCulling) {
        return true;
    }
    const auto& volume = planes();
    for (const glm::vec3& point : points) {
        if (std::all_of(volume.begin(), volume.end(),
                        [&point](const glm::vec4& plane) { return inside(plane, point); })) {
            return true;
        }
    }
    return std::all_of(volume.begin(), volume.end(), [&points](const glm::vec4& plane) {
        return std::any_of(points.begin(), points.end(),
                           [&plane](const glm::vec3& point) { return inside(plane, point); });
    });
}

const std::array<glm::vec4, 6>& viewVolumePlanes() {
    return planes();
}

}  // namespace VX3D
