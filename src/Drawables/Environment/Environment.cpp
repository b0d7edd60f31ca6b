#include "Drawables/Environment/Environment.h"

#include "Drawables/Floor/SlopeMap.h"
#include "Drawables/ViewVolume/ViewVolume.h"
#include "Shader/CheckPoint.h"
#include "Shader/ShaderStore.h"
#include "Veltrix3D/RenderState.h"

#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace VX3D {
namespace {

using GLutil::ShaderProgram;

constexpr float groundLevel = -0.01f;
constexpr float ringWidth = 4.0f;
constexpr float stripLength = 7.0f;
// Arms of a corner: the part of its 7 × 7 square beside the field, 3 units long.
constexpr float armLength = 3.0f;

// A grid of quads, built vertex by vertex through `place`, which maps grid parameters
// (s along, t across, both 0..1) to a position and texture coordinate. Each quad is cut
// along the diagonal from its (0,0) corner to its (1,1) corner.
template <typename Place>
void addGrid(EnvironmentPiece& piece, int along, int across, Place place) {
    const auto base = static_cast<std::uint16_t>(piece.positions.size());
    for (int a = 0; a <= along; ++a)
        for (int b = 0; b <= across; ++b) {
            glm::vec3 position;
            glm::vec2 uv;
            place(static_cast<float>(a) / static_cast<float>(along),
                  static_cast<float>(b) / static_cast<float>(across), position, uv);
            piece.positions.push_back(position);
            piece.uvs.push_back(uv);
        }
    const auto at = [&](int a, int b) {
        return static_cast<std::uint16_t>(base + a * (across + 1) + b);
    };
    for (int a = 0; a < along; ++a)
        for (int b = 0; b < across; ++b) {
            piece.indices.insert(piece.indices.end(), {at(a, b), at(a + 1, b), at(a + 1, b + 1),
                                                       at(a, b), at(a + 1, b + 1), at(a, b + 1)});
            ++piece.quads;
        }
}

void finishBox(EnvironmentPiece& piece) {
    glm::vec3 lo(1e9f), hi(-1e9f);
    for (const glm::vec3& p : piece.positions) {
        lo = glm::min(lo, p);
        hi = glm::max(hi, p);
    }
    hi.y = groundLevel + mountainHeight;
    for (int i = 0; i < 8; ++i)
        piece.corners.emplace_back(i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z);
}

// A straight strip of the ring: x from x0, z from z0, 7 long and 4 wide. u runs along it
// and v across it from the low x or z side; a mirrored strip takes 1 − u and 1 − v (the
// strips on the far sides of the origin, whose foot is on their low side).
EnvironmentPiece strip(float x0, float z0, bool alongX, bool mirrored, glm::ivec2 pq) {
    EnvironmentPiece piece;
    addGrid(piece, pq.x, pq.y, [&](float s, float t, glm::vec3& p, glm::vec2& uv) {
        p = alongX ? glm::vec3(x0 + s * stripLength, groundLevel, z0 + t * ringWidth)
                   : glm::vec3(x0 + t * ringWidth, groundLevel, z0 + s * stripLength);
        uv = mirrored ? glm::vec2(1.0f - s, 1.0f - t) : glm::vec2(s, t);
    });
    finishBox(piece);
    return piece;
}

// The L around a field corner F. In local coordinates a (outwards along x) and b (outwards
// along z) the field lies where both are negative; the L is the 7 × 7 square a, b in −3..4
// without that part: an arm beside each field edge (3 long) and the square a, b in 0..4
// beyond the corner. v = 1 − (distance from the field) ÷ 4 in the Chebyshev sense, so the
// foot follows both field edges and the crest runs round the outside. u counts the way
// from each arm's open end (7 units per texture repeat), round the square rings about the
// corner, and folds back along the diagonal a = b, so it leaves the corner on both sides as
// it entered and the texture keeps its scale all the way round. Both are linear on either
// side of the diagonal, along which the square's quads are cut. `reversed` takes 1 − u,
// for the corners whose strips run their u the other way.
EnvironmentPiece corner(glm::vec2 fieldCorner, float outX, float outZ, bool reversed, int across) {
    const int alongArm = std::max(
        1, static_cast<int>(std::ceil(static_cast<float>(across) * armLength / ringWidth)));
    const auto world = [&](float a, float b) {
        return glm::vec3(fieldCorner.x + outX * a, groundLevel, fieldCorner.y + outZ * b);
    };
    const auto texture = [&](float u, float d) {
        const float v = 1.0f - d / ringWidth;
        return glm::vec2(reversed ? 1.0f - u : u, v);
    };
    EnvironmentPiece piece;
    // Arm beside the field edge that runs along z: a across 0..4, b along −3..0.
    addGrid(piece, alongArm, across, [&](float s, float t, glm::vec3& p, glm::vec2& uv) {
        const float a = t * ringWidth, b = -armLength + s * armLength;
        p = world(a, b);
        uv = texture((b + armLength) / stripLength, a);
    });
    // Arm beside the field edge that runs along x: b across 0..4, a along −3..0.
    addGrid(piece, alongArm, across, [&](float s, float t, glm::vec3& p, glm::vec2& uv) {
        const float a = -armLength + s * armLength, b = t * ringWidth;
        p = world(a, b);
        uv = texture((a + armLength) / stripLength, b);
    });
    // Beyond the corner: cut along a = b, the fold of u.
    addGrid(piece, across, across, [&](float s, float t, glm::vec3& p, glm::vec2& uv) {
        const float a = s * ringWidth, b = t * ringWidth;
        p = world(a, b);
        uv = texture((armLength + std::min(a, b)) / stripLength, std::max(a, b));
    });
    finishBox(piece);
    return piece;
}

void setMat4(const ShaderProgram& p, const char* name, const glm::mat4& m) {
    glUniformMatrix4fv(p.uniformLocation(name), 1, GL_FALSE, glm::value_ptr(m));
}
void setVec3(const ShaderProgram& p, const char* name, const glm::vec3& v) {
    glUniform3fv(p.uniformLocation(name), 1, glm::value_ptr(v));
}

}  // namespace

glm::ivec2 environmentSubdivision(int level) {
    static constexpr int along[9] = {1, 2, 2, 4, 4, 8, 8, 16, 16};
    if (level < 0 || level > 8)
        throw std::invalid_argument("Environment: subdivision level " + std::to_string(level) +
                                    " is outside 0..8 (envTessLevel)");
    const int p = along[level];
    const int q = level % 2 == 0 ? p : along[level - 1];
    return {p, q};
}

std::vector<EnvironmentPiece> makeEnvironmentPieces(int level) {
    const glm::ivec2 pq = environmentSubdivision(level);
    const int q = pq.y;
    std::vector<EnvironmentPiece> pieces;
    pieces.push_back(corner({0.0f, 0.0f}, -1.0f, 1.0f, false, q));
    pieces.push_back(strip(3.0f, 0.0f, true, true, pq));
    pieces.push_back(strip(10.0f, 0.0f, true, true, pq));
    pieces.push_back(corner({20.0f, 0.0f}, 1.0f, 1.0f, true, q));
    pieces.push_back(strip(20.0f, -10.0f, false, true, pq));
    pieces.push_back(corner({20.0f, -13.0f}, 1.0f, -1.0f, false, q));
    pieces.push_back(strip(10.0f, -17.0f, true, false, pq));
    pieces.push_back(strip(3.0f, -17.0f, true, false, pq));
    pieces.push_back(corner({0.0f, -13.0f}, -1.0f, -1.0f, true, q));
    pieces.push_back(strip(-4.0f, -10.0f, false, false, pq));
    return pieces;
}

Environment::Environment(int level)
    : displacement_("res/Textures/MountainDisplacement.png", 0, GLutil::Texture::Pixels::kept),
      diffuse_("res/Textures/Mountain.png", 1) {
    {
        const auto& px = displacement_.pixels();
        const int w = static_cast<int>(displacement_.width()),
                  h = static_cast<int>(displacement_.height());
        std::vector<float> heights(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
        for (std::size_t i = 0; i < heights.size(); ++i) heights[i] = px[i * 4] / 255.0f;
        // The ring repeats the image along itself, not across.
        slopeMap_ = uploadSlopeMap(slopeTexels(heights, w, h, 4, false), false);
    }
    for (EnvironmentPiece& piece : makeEnvironmentPieces(level)) {
        auto mesh = std::make_shared<GLutil::DrawableVAO>();
        mesh->mode = GL_PATCHES;
        mesh->addBuffer(0, piece.positions);
        mesh->addBuffer(1, piece.uvs);
        mesh->setIndices(piece.indices);
        const glm::vec3 lo = piece.corners.front(), hi = piece.corners.back();
        auto box =
            std::make_shared<BoundingBox>(hi.x, lo.x, hi.y, lo.y, hi.z, lo.z, glm::mat4(1.0f));
        pieces_.push_back({std::move(mesh), std::move(piece.corners), std::move(box)});
    }
    program_ = std::make_shared<ShaderProgram>("EnvironmentShader");
    for (const char* file :
         {"Shader/Environment.vert", "Shader/Environment.tesC", "Shader/Environment.tesE",
          "Shader/Environment.geom", "Shader/Environment.frag"})
        program_->attatch(GLutil::ShaderStore::getShader(file));
    program_->bindAttributeLocation(0, "vertex");
    program_->bindAttributeLocation(1, "uv");
    program_->link();
    program_->setConstant("displacementMap", 0);
    program_->setConstant("diffuseMap", 1);
    program_->setConstant("slopeMap", 2);
    program_->setConstant("shadowMap", 4);
    program_->validate();
    ShaderProgram::unuse();
    GLUTIL_CHECKPOINT("VX3D::Environment::Environment");
}

void Environment::draw(const glm::mat4& mvp, const glm::vec3& eye, const Sun& sun,
                       const ShadowMap& shadowMap) {
    // Seen from the field the ring shows its upper side, from above its underside may show
    // at the cut ends: draw both.
    const bool culling = RenderState::cullFaceEnabled;
    if (culling) RenderState::setCullFace(false);
    // Rock is opaque: blending its three outputs would only cost time.
    const bool blending = RenderState::blendEnabled;
    RenderState::setBlend(false);
    const ShaderProgram& p = *program_;
    program_->use();
    setMat4(p, "mvpMatrix", mvp);
    glUniform1i(p.uniformLocation("doTesselation"), RenderState::tessellation ? 1 : 0);
    glUniform1f(p.uniformLocation("maxtessLevel"), RenderState::tessLevel * 1.2f);
    glUniform1f(p.uniformLocation("tessAttenuation"), RenderState::tessAttenuation);
    setVec3(p, "viewPoint", eye);
    setVec3(p, "lightPos", sun.position);
    if (shadowMap) {
        setMat4(p, "SMMatrix", shadowMapMatrix(sun.lightMatrix()));
        glActiveTexture(GL_TEXTURE4);
        glBindTexture(GL_TEXTURE_2D, shadowMap->id());
        glUniform1i(p.uniformLocation("shadowMap"), 4);
    } else {
        setMat4(p, "SMMatrix", glm::mat4(0.0f));
    }
    displacement_.bind();
    diffuse_.bind();
    bindSlopeMap(*slopeMap_, 2);
    piecesDrawn_ = 0;
    std::vector<bool> drawn(pieces_.size(), false);
    for (std::size_t i = 0; i < pieces_.size(); ++i) {
        if (!isVisible(pieces_[i].corners)) continue;
        pieces_[i].mesh->draw();
        drawn[i] = true;
        ++piecesDrawn_;
    }
    for (GLint unit : {4, 2, diffuse_.unit(), displacement_.unit()}) {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    glActiveTexture(GL_TEXTURE0);
    ShaderProgram::unuse();
    if (culling) RenderState::setCullFace(true);
    RenderState::setBlend(blending);
    if (RenderState::boundingBoxes)
        for (std::size_t i = 0; i < pieces_.size(); ++i)
            if (drawn[i]) pieces_[i].box->draw(mvp);
    GLUTIL_CHECKPOINT("VX3D::Environment::draw");
}

}  // namespace VX3D
