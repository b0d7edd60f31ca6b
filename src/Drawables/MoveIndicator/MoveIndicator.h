#pragma once
// The planned move of a selected ant: a line from above the ant's cell (black) to the point
// under the cursor (white), and a small blue post on the neighbouring cell the move would
// reach. All indicators share one program, made by the first.
#include "Drawables/Cube/Cube.h"
#include "Shader/ShaderProgram.h"
#include "VAO/DrawableVAO.h"
#include "Veltrix/Types.h"

#include <glm/glm.hpp>

#include <memory>
#include <vector>

namespace VX3D {

class MoveIndicator {
public:
    // The start vertex is the cell's centre raised to 0.35: (x + 0.5, 0.35, −(y + 0.5), 1).
    MoveIndicator(int antId, Veltrix::Position startCell, const glm::vec4& target);

    // (dx, dy) in field terms, each −1, 0 or 1; dy = +1 when the target lies further along
    // the field's y axis (world −z).
    glm::ivec2 quantisedDirection() const;
    // Stores the end vertex (elements 4..7) and uploads the whole vertex array again.
    // Throws std::out_of_range "invalid vector<T> subscript" when `vertices` lost its end.
    void setTarget(const glm::vec4& target);
    void draw(const glm::mat4& mvp);

    // The drag from start to end quantised to a neighbour step: (0, 0) within half a cell on
    // both axes, else a straight step within 30° of an axis and a diagonal one between.
    static glm::ivec2 quantise(const glm::vec4& start, const glm::vec4& end);
    // Where the marker stands: the start moved by one step, on the ground.
    glm::vec3 markerPosition() const;

    int antId;
    Veltrix::Position cell;
    std::vector<float> vertices;  // start x y z w, end x y z w

private:
    std::shared_ptr<GLutil::DrawableVAO> line_;
    Cube marker_;
    std::shared_ptr<GLutil::ShaderProgram> program_;
};

}  // namespace VX3D
