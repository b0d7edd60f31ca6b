// The scene drawables' geometry, without a graphics context: the floor's cells and
// outline, the relief height rule on a known image, the mountain ring's pieces at every
// subdivision level (no gaps, no overlaps, no cracks between pieces, foot on the field's
// border), and the sky cube's texture cells against the image tool's cross layout.
#include "Drawables/Environment/Environment.h"
#include "Drawables/Floor/Floor.h"
#include "Drawables/Skybox/Skybox.h"
#include "images/Images.h"

#include <gtest/gtest.h>
#include <glm/glm.hpp>

#include <cmath>
#include <map>
#include <stdexcept>
#include <utility>
#include <vector>

using VX3D::EnvironmentPiece;

TEST(FloorMesh, CountsAndOutline_OneCellAndTenByFive) {
    const VX3D::FloorMesh one = VX3D::makeFloorMesh(1, 1);
    EXPECT_EQ(one.positions.size(), 4u);
    EXPECT_EQ(one.indices, (std::vector<std::uint16_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(one.outline,
              (std::vector<glm::vec4>{{0, 0, 0, 1}, {1, 0, 0, 1}, {1, 0, -1, 1}, {0, 0, -1, 1}}));
    EXPECT_EQ(one.uvs, (std::vector<glm::vec2>{{0, 0}, {1, 0}, {1, 1}, {0, 1}}));

    const VX3D::FloorMesh field = VX3D::makeFloorMesh(10, 5);
    EXPECT_EQ(field.positions.size(), 200u);
    EXPECT_EQ(field.colours.size(), 200u);
    EXPECT_EQ(field.uvs.size(), 200u);
    EXPECT_EQ(field.indices.size(), 300u);
    EXPECT_EQ(field.outline[2], glm::vec4(10, 0, -5, 1));
    EXPECT_EQ(field.outlineColours, std::vector<glm::vec4>(4, glm::vec4(1, 0, 0, 1)));
    // Cell (3, 2): x outer, y inner, so its corners start at (2 + 5 x 3) x 4.
    const std::size_t b = (2 + 5 * 3) * 4;
    EXPECT_EQ(field.positions[b], glm::vec4(3, 0, -2, 1));
    EXPECT_EQ(field.positions[b + 2], glm::vec4(4, 0, -3, 1));
    const std::size_t cell = 2 + 5 * 3;
    EXPECT_EQ(field.indices[cell * 6], b);
    EXPECT_EQ(field.indices[cell * 6 + 5], b + 3);
}

TEST(FloorMesh, RefusesFieldsItCannotIndex) {
    EXPECT_NO_THROW(VX3D::makeFloorMesh(128, 128));  // 65536 vertices: the last 16-bit index
    EXPECT_THROW(VX3D::makeFloorMesh(129, 128), std::invalid_argument);
    EXPECT_THROW(VX3D::makeFloorMesh(0, 5), std::invalid_argument);
}

TEST(GroundHeight, PicksThePixelUnderThePointInEveryCell) {
    // A 4 x 2 image, rows top first: pixel (column c, row r) has red = 10 x (4r + c) + 5.
    std::vector<unsigned char> rgba;
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c)
            rgba.insert(rgba.end(), {static_cast<unsigned char>(10 * (4 * r + c) + 5), 0, 0, 255});
    const auto pixel = [](int c, int r) {
        return (10.0f * static_cast<float>(4 * r + c) + 5.0f) / 255.0f / 6.0f;
    };
    // Column from the fraction of x, row from the fraction of -z (the cell's v runs along -z).
    EXPECT_FLOAT_EQ(VX3D::displacementHeight(rgba, 4, 2, {0.1f, 7.0f, -0.1f}), pixel(0, 0));
    EXPECT_FLOAT_EQ(VX3D::displacementHeight(rgba, 4, 2, {5.8f, 0.0f, -3.6f}), pixel(3, 1));
    EXPECT_FLOAT_EQ(VX3D::displacementHeight(rgba, 4, 2, {2.5f, 0.0f, -12.25f}), pixel(2, 0));
    // Outside the field the image repeats: -0.1 lies at 0.9 of its cell.
    EXPECT_FLOAT_EQ(VX3D::displacementHeight(rgba, 4, 2, {-0.1f, 0.0f, 0.1f}), pixel(3, 1));
    // All three channels count: grey 255 gives sqrt(3) / 6.
    const std::vector<unsigned char> white{255, 255, 255, 255};
    EXPECT_FLOAT_EQ(VX3D::displacementHeight(white, 1, 1, {0.3f, 0.0f, -0.3f}),
                    std::sqrt(3.0f) / 6.0f);
}

namespace {

float cross2(glm::vec2 a, glm::vec2 b) {
    return a.x * b.y - a.y * b.x;
}
glm::vec2 xz(glm::vec3 p) {
    return {p.x, p.z};
}

bool onRingBorder(glm::vec2 p) {
    const bool outer = p.x == -4.0f || p.x == 24.0f || p.y == 4.0f || p.y == -17.0f;
    const bool field = (p.x == 0.0f || p.x == 20.0f || p.y == 0.0f || p.y == -13.0f) &&
                       p.x >= 0.0f && p.x <= 20.0f && p.y >= -13.0f && p.y <= 0.0f;
    return outer || field;
}

struct BorderEdge {
    int piece;
    glm::vec2 uvA, uvB;
};

}  // namespace

TEST(EnvironmentPieces, SubdivisionTable) {
    const glm::ivec2 expected[9] = {{1, 1}, {2, 1}, {2, 2},  {4, 2},  {4, 4},
                                    {8, 4}, {8, 8}, {16, 8}, {16, 16}};
    for (int level = 0; level <= 8; ++level) {
        EXPECT_EQ(VX3D::environmentSubdivision(level), expected[level]) << "level " << level;
        const auto pieces = VX3D::makeEnvironmentPieces(level);
        ASSERT_EQ(pieces.size(), 10u);
        for (int strip : {1, 2, 4, 6, 7, 9}) {
            EXPECT_EQ(pieces[strip].quads, expected[level].x * expected[level].y)
                << "level " << level << " piece " << strip;
            EXPECT_EQ(pieces[strip].indices.size(),
                      static_cast<std::size_t>(pieces[strip].quads) * 6);
        }
    }
    EXPECT_THROW(VX3D::environmentSubdivision(9), std::invalid_argument);
    EXPECT_THROW(VX3D::makeEnvironmentPieces(-1), std::invalid_argument);
}

// The ring covers exactly its 28 x 21 rectangle minus the 20 x 13 field; every edge inside
// it is shared by two pieces (or two parts of a corner) with the same end points and the same
// height-map coordinates (u modulo the texture's repeat), so the raised surface cannot crack; the
// foot (v = 1) lies on the field's border and the crest (v = 0) on the ring's outer edge.
TEST(EnvironmentPieces, RingWithoutGapsOverlapsOrCracks_AtEveryLevel) {
    for (int level = 0; level <= 8; ++level) {
        SCOPED_TRACE("level " + std::to_string(level));
        const auto pieces = VX3D::makeEnvironmentPieces(level);
        float area = 0.0f;
        std::map<std::pair<std::pair<float, float>, std::pair<float, float>>,
                 std::vector<BorderEdge>>
            border;
        for (int k = 0; k < 10; ++k) {
            const EnvironmentPiece& piece = pieces[static_cast<std::size_t>(k)];
            ASSERT_EQ(piece.positions.size(), piece.uvs.size());
            std::map<std::pair<int, int>, int> edgeUse;
            for (std::size_t t = 0; t < piece.indices.size(); t += 3) {
                const glm::vec2 a = xz(piece.positions[piece.indices[t]]),
                                b = xz(piece.positions[piece.indices[t + 1]]),
                                c = xz(piece.positions[piece.indices[t + 2]]);
                const float twice = cross2(b - a, c - a);
                EXPECT_NE(twice, 0.0f) << "degenerate triangle in piece " << k;
                area += 0.5f * std::abs(twice);
                for (int e = 0; e < 3; ++e) {
                    int i = piece.indices[t + static_cast<std::size_t>(e)],
                        j = piece.indices[t + static_cast<std::size_t>((e + 1) % 3)];
                    ++edgeUse[{std::min(i, j), std::max(i, j)}];
                }
            }
            for (const auto& [edge, uses] : edgeUse) {
                if (uses != 1) continue;
                const glm::vec2 a = xz(piece.positions[static_cast<std::size_t>(edge.first)]);
                const glm::vec2 b = xz(piece.positions[static_cast<std::size_t>(edge.second)]);
                if (onRingBorder(a) && onRingBorder(b) && (a.x == b.x || a.y == b.y) &&
                    onRingBorder(0.5f * (a + b)))
                    continue;
                // By value: std::minmax of two temporaries would hand back dangling references.
                const std::pair<float, float> pa{a.x, a.y}, pb{b.x, b.y};
                const auto key = std::make_pair(std::min(pa, pb), std::max(pa, pb));
                const bool swapped = key.first != pa;
                glm::vec2 uvA = piece.uvs[static_cast<std::size_t>(edge.first)],
                          uvB = piece.uvs[static_cast<std::size_t>(edge.second)];
                if (swapped) std::swap(uvA, uvB);
                border[key].push_back({k, uvA, uvB});
            }
            for (std::size_t v = 0; v < piece.positions.size(); ++v) {
                const glm::vec3 p = piece.positions[v];
                EXPECT_EQ(p.y, -0.01f);
                const bool onField = p.x >= 0.0f && p.x <= 20.0f && p.z >= -13.0f && p.z <= 0.0f;
                if (onField) {
                    EXPECT_TRUE(onRingBorder(xz(p)) && piece.uvs[v].y == 1.0f)
                        << "piece " << k << " at " << p.x << "," << p.z;
                }
                if (p.x == -4.0f || p.x == 24.0f || p.z == 4.0f || p.z == -17.0f) {
                    EXPECT_EQ(piece.uvs[v].y, 0.0f);
                }
            }
        }
        EXPECT_NEAR(area, 28.0f * 21.0f - 20.0f * 13.0f, 1e-3f);
        for (const auto& [key, sides] : border) {
            ASSERT_EQ(sides.size(), 2u)
                << "edge (" << key.first.first << "," << key.first.second << ")-("
                << key.second.first << "," << key.second.second << ") not shared by two pieces";
            const auto sameUV = [](glm::vec2 p, glm::vec2 q) {
                const float du = p.x - q.x;
                return std::abs(du - std::round(du)) < 1e-6f && std::abs(p.y - q.y) < 1e-6f;
            };
            EXPECT_TRUE(sameUV(sides[0].uvA, sides[1].uvA) && sameUV(sides[0].uvB, sides[1].uvB))
                << "texture coordinates differ across the edge between pieces " << sides[0].piece
                << " and " << sides[1].piece;
        }
    }
}

TEST(EnvironmentPieces, CornerPointsBoundEachPieceUpToThePeaks) {
    const auto pieces = VX3D::makeEnvironmentPieces(0);
    const EnvironmentPiece& first = pieces.front();  // the L around the field corner (0, 0)
    ASSERT_EQ(first.corners.size(), 8u);
    EXPECT_EQ(first.corners.front(), glm::vec3(-4.0f, -0.01f, -3.0f));
    EXPECT_EQ(first.corners.back(), glm::vec3(3.0f, -0.01f + VX3D::mountainHeight, 4.0f));
    const EnvironmentPiece& last = pieces.back();  // the strip x -4..0, z -10..-3
    EXPECT_EQ(last.corners.front(), glm::vec3(-4.0f, -0.01f, -10.0f));
    EXPECT_EQ(last.corners.back(), glm::vec3(0.0f, -0.01f + VX3D::mountainHeight, -3.0f));
}

// Each face of the sky cube shows the cell of the cross that the image tool painted for
// it, turned so that every corner of the cube shows the sky in its own direction.
TEST(SkyboxTable, EveryFaceShowsItsCellOfTheCrossTheRightWayRound) {
    using vximg::CubeFace;
    const CubeFace faces[6] = {CubeFace::PosZ, CubeFace::NegX, CubeFace::NegZ,
                               CubeFace::PosX, CubeFace::PosY, CubeFace::NegY};
    for (int f = 0; f < 6; ++f) {
        const glm::vec2 cell(vximg::cubeFaceCell(faces[f]));
        for (int k = 0; k < 4; ++k) {
            const VX3D::Skybox::Vertex& v =
                VX3D::Skybox::vertices[static_cast<std::size_t>(4 * f + k)];
            const glm::vec2 local = v.uv * glm::vec2(4.0f, 3.0f) - cell;
            EXPECT_TRUE(local.x > -1e-5f && local.x < 1.00001f && local.y > -1e-5f &&
                        local.y < 1.00001f)
                << "face " << f << " corner " << k << " outside its cell";
            const glm::vec3 seen =
                glm::normalize(vximg::cubeFaceDirection(faces[f], local.x, local.y));
            EXPECT_LT(glm::distance(seen, glm::normalize(v.position)), 1e-4f)
                << "face " << f << " corner " << k;
        }
    }
}
