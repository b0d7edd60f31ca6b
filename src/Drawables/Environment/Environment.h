#pragma once
// The mountains around the field: a ring 4 units wide around the 20 × 13 field, in ten
// pieces (six straight strips and four L-shaped corners), tessellated near the eye and
// raised by a displacement texture so that they meet the field at ground level and rise
// outwards into snow-capped peaks. Each piece is culled against the view volume as a
// whole before it is drawn.
//
// Building needs a current OpenGL context and the game's working directory.
#include "Drawables/BoundingBox/BoundingBox.h"
#include "Drawables/Sun/Sun.h"
#include "Shader/ShaderProgram.h"
#include "Texture/Texture.h"
#include "VAO/DrawableVAO.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <memory>
#include <vector>

namespace VX3D {

// One piece of the ring, apart from any graphics object. Texture coordinates: u runs
// along the ring (the texture repeats every 7 units), v across it from the crest (0, the
// outer edge) to the foot (1, the field's edge).
struct EnvironmentPiece {
    std::vector<glm::vec3> positions;  // all at y = −0.01
    std::vector<glm::vec2> uvs;
    std::vector<std::uint16_t> indices;  // triangles, two per quad
    std::vector<glm::vec3> corners;      // the eight corners of its box, up to the highest peak
    int quads = 0;
};

// The highest point of the mountains above the ground.
constexpr float mountainHeight = 3.2f;

// (P, Q): quads of a strip along its 7-unit length and across its 4-unit width.
// Throws std::invalid_argument outside levels 0..8.
glm::ivec2 environmentSubdivision(int level);

// The ten pieces in building order: corner, strip, strip, corner, strip, corner, strip,
// strip, corner, strip (counter-clockwise from the field corner at the origin). The
// corners are cut as finely across the ring as the strips they meet, so the two share
// every edge point and the raised surface has no cracks.
std::vector<EnvironmentPiece> makeEnvironmentPieces(int level);

class Environment {
public:
    explicit Environment(int level);
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

    void draw(const glm::mat4& mvp, const glm::vec3& eye, const Sun& sun,
              const ShadowMap& shadowMap);

    // How many pieces the last draw sent to the graphics card (after culling).
    int piecesDrawn() const { return piecesDrawn_; }

private:
    struct Piece {
        std::shared_ptr<GLutil::DrawableVAO> mesh;
        std::vector<glm::vec3> corners;
        std::shared_ptr<BoundingBox> box;
    };

    GLutil::Texture displacement_;
    GLutil::Texture diffuse_;
    std::shared_ptr<GLutil::TextureHandle> slopeMap_;  // of the displacement, on unit 2
    std::vector<Piece> pieces_;
    std::shared_ptr<GLutil::ShaderProgram> program_;
    int piecesDrawn_ = 0;
};

}  // namespace VX3D
