#pragma once
// The ground of the playing field: one grass square per cell, tessellated near the eye
// and raised by a displacement texture, lit by the sun with highlights from a specular
// map and shadowed through the shadow map, with a red outline around the field. A
// second, depth-only draw puts the relief into the shadow pass.
//
// The ants stand on groundHeight, which reads the same displacement image on the CPU
// with the same height rule as the shaders (length of the RGB ÷ 6).
//
// Building needs a current OpenGL context and the game's working directory.
#include "Drawables/Sun/Sun.h"
#include "Shader/ShaderProgram.h"
#include "Texture/Texture.h"
#include "VAO/DrawableVAO.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <memory>
#include <vector>

namespace VX3D {

// The floor's geometry, apart from any graphics object, so that it can be checked alone.
struct FloorMesh {
    // Per cell (i outer, j inner) the corners (i,0,−j), (i+1,0,−j), (i+1,0,−j−1), (i,0,−j−1).
    std::vector<glm::vec4> positions;
    std::vector<glm::vec4> colours;
    std::vector<glm::vec2> uvs;  // (0,0), (1,0), (1,1), (0,1): every cell shows the whole texture
    std::vector<std::uint16_t> indices;  // two triangles per cell: b,b+1,b+2 and b,b+2,b+3
    std::vector<glm::vec4> outline;      // the field's rectangle as a line loop
    std::vector<glm::vec4> outlineColours;
};

// Throws std::invalid_argument for a field without cells or with more than 16384 cells
// (the indices are 16-bit).
FloorMesh makeFloorMesh(int width, int height);

// The height rule of the relief on an RGBA image (rows top first): the pixel at column
// trunc(frac(p.x) × W), row trunc(frac(−p.z) × H), h = sqrt(r² + g² + b²) ÷ 6 with channels
// in 0..1. p.y is ignored.
float displacementHeight(const std::vector<unsigned char>& rgba, int width, int height,
                         const glm::vec3& p);

class Floor {
public:
    Floor(int width, int height);
    Floor(const Floor&) = delete;
    Floor& operator=(const Floor&) = delete;

    void draw(const glm::mat4& mvp, const glm::vec3& eye, const Sun& sun,
              const ShadowMap& shadowMap);
    void drawShadow(const glm::mat4& lightMvp, const glm::vec3& eye);

    // Ground height at the world point p (y ignored); see displacementHeight.
    float groundHeight(const glm::vec3& p) const;

    int width() const { return width_; }
    int height() const { return height_; }

private:
    int width_;
    int height_;
    GLutil::Texture displacement_;
    GLutil::Texture grass_;
    GLutil::Texture specular_;
    std::shared_ptr<GLutil::TextureHandle> slopeMap_;  // of the displacement, on unit 3
    GLutil::DrawableVAO cells_;
    GLutil::DrawableVAO outline_;
    std::shared_ptr<GLutil::ShaderProgram> program_;
    std::shared_ptr<GLutil::ShaderProgram> borderProgram_;
    std::shared_ptr<GLutil::ShaderProgram> shadowProgram_;
};

}  // namespace VX3D
