#pragma once
// The wire box around a drawable: its eight corners in world space feed the culling test,
// and its four side faces are drawn as lines when the bounding boxes are switched on.
//
// The transformed corners are computed once and kept until clearCorners(): a drawable
// that never moves pays for them once; one that moves (a portal) clears them, and the next
// transformedCorners(model) takes the new matrix.
#include "Shader/ShaderProgram.h"
#include "VAO/DrawableVAO.h"

#include <glm/glm.hpp>

#include <array>
#include <memory>
#include <vector>

namespace VX3D {

class BoundingBox {
public:
    BoundingBox(float maxX, float minX, float maxY, float minY, float maxZ, float minZ,
                const glm::mat4& model);

    // The kept corners; after clearCorners() the matrix is stored and they are computed anew.
    const std::vector<glm::vec3>& transformedCorners(const glm::mat4& model);
    void clearCorners();
    // Lines over the side faces, white, without writing depth; filled in wireframe mode,
    // where everything is drawn as lines anyway.
    void draw(const glm::mat4& viewProjection);

    // The eight corners in the box's own space, in a fixed order.
    const std::array<glm::vec3, 8>& corners() const { return corners_; }
    const glm::mat4& modelMatrix() const { return model_; }
    // x, y, z of model × corner (no division), for each local corner.
    static std::vector<glm::vec3> transform(const std::array<glm::vec3, 8>& corners,
                                            const glm::mat4& model);

private:
    std::array<glm::vec3, 8> corners_;
    glm::mat4 model_;
    std::vector<glm::vec3> transformed_;
    // Never changed after construction, so copies of the box may share it.
    std::shared_ptr<GLutil::DrawableVAO> mesh_;
    std::shared_ptr<GLutil::ShaderProgram> program_;
};

}  // namespace VX3D
