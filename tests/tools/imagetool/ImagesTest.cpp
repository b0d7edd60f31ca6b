// The painted images themselves: tileable textures continue across their
// borders, the sky's cube faces meet without seams where the sky box puts
// them together, every image is the same when painted twice, the sizes suit
// mipmapping, and the committed files are the ones the tool paints.
#include "images/Images.h"
#include "images/Registry.h"

#include "Checks.h"

#include "imagecore/Png.h"

#include <gtest/gtest.h>

#include <glm/geometric.hpp>

#include <array>
#include <set>

using namespace vximg;
using vximg::test::continues;
using vximg::test::horizontalSeam;
using vximg::test::pixelDifference;
using vximg::test::verticalSeam;

namespace {

const Recipe& recipe(const std::string& name) {
    const Recipe* r = findRecipe(name);
    if (r == nullptr) throw std::logic_error("no recipe " + name);
    return *r;
}

Image paintAt(const std::string& name, int divisor) {
    const Recipe& r = recipe(name);
    return r.make(r.width / divisor, r.height / divisor);
}

bool isPowerOfTwo(int v) {
    return v > 0 && (v & (v - 1)) == 0;
}

// The sky box's cube: per face the four corners with the texture coordinate
// each is drawn with (v = 0 is the image's first row).
struct Corner {
    glm::vec3 pos;
    glm::vec2 uv;
};
const std::array<std::array<Corner, 4>, 6> kSkyBox{{
    {{{{-1, 1, 1}, {0.25f, 1 / 3.f}},
      {{1, 1, 1}, {0.5f, 1 / 3.f}},
      {{1, -1, 1}, {0.5f, 2 / 3.f}},
      {{-1, -1, 1}, {0.25f, 2 / 3.f}}}},
    {{{{-1, 1, -1}, {0.f, 1 / 3.f}},
      {{-1, 1, 1}, {0.25f, 1 / 3.f}},
      {{-1, -1, 1}, {0.25f, 2 / 3.f}},
      {{-1, -1, -1}, {0.f, 2 / 3.f}}}},
    {{{{1, 1, -1}, {0.75f, 1 / 3.f}},
      {{-1, 1, -1}, {1.f, 1 / 3.f}},
      {{-1, -1, -1}, {1.f, 2 / 3.f}},
      {{1, -1, -1}, {0.75f, 2 / 3.f}}}},
    {{{{1, 1, 1}, {0.5f, 1 / 3.f}},
      {{1, 1, -1}, {0.75f, 1 / 3.f}},
      {{1, -1, -1}, {0.75f, 2 / 3.f}},
      {{1, -1, 1}, {0.5f, 2 / 3.f}}}},
    {{{{-1, 1, 1}, {0.25f, 1 / 3.f}},
      {{-1, 1, -1}, {0.25f, 0.f}},
      {{1, 1, -1}, {0.5f, 0.f}},
      {{1, 1, 1}, {0.5f, 1 / 3.f}}}},
    {{{{-1, -1, -1}, {0.25f, 1.f}},
      {{-1, -1, 1}, {0.25f, 2 / 3.f}},
      {{1, -1, 1}, {0.5f, 2 / 3.f}},
      {{1, -1, -1}, {0.5f, 1.f}}}},
}};

struct EdgeWalk {
    glm::vec2 a, b;    // edge end points in pixels, in the order of the shared cube corners
    glm::vec2 inward;  // unit normal pointing into the face
};

EdgeWalk edgeOf(const std::array<Corner, 4>& face, glm::vec3 p, glm::vec3 q, glm::vec2 size) {
    glm::vec2 a{}, b{}, centre(0.0f);
    for (const Corner& c : face) {
        if (c.pos == p) a = c.uv * size;
        if (c.pos == q) b = c.uv * size;
        centre += c.uv * size * 0.25f;
    }
    const glm::vec2 e = glm::normalize(b - a);
    glm::vec2 n(-e.y, e.x);
    if (glm::dot(n, centre - (a + b) * 0.5f) < 0.0f) n = -n;
    return {a, b, n};
}

struct CubeSeams {
    float meanSeam = 0.0f;
    float meanInterior = 0.0f;
    float maxSeam = 0.0f;
    float maxInterior = 0.0f;
    int edges = 0;
};

// Walks all twelve cube edges: the texel just inside one face against the
// texel just inside the face that meets it there.
CubeSeams measureCubeSeams(const Image& sky) {
    const glm::vec2 size(static_cast<float>(sky.width()), static_cast<float>(sky.height()));
    const int n = sky.width() / 4;
    auto texel = [&](glm::vec2 p) {
        return sky.get(static_cast<int>(std::floor(p.x)), static_cast<int>(std::floor(p.y)),
                       Edge::Clamp);
    };
    CubeSeams out;
    int samples = 0;
    for (std::size_t i = 0; i < 6; ++i)
        for (std::size_t j = i + 1; j < 6; ++j) {
            std::vector<glm::vec3> shared;
            for (const Corner& c : kSkyBox[i])
                for (const Corner& d : kSkyBox[j])
                    if (c.pos == d.pos) shared.push_back(c.pos);
            if (shared.size() != 2) continue;
            ++out.edges;
            const EdgeWalk ei = edgeOf(kSkyBox[i], shared[0], shared[1], size);
            const EdgeWalk ej = edgeOf(kSkyBox[j], shared[0], shared[1], size);
            for (int k = 0; k < n; ++k) {
                const float t = (static_cast<float>(k) + 0.5f) / static_cast<float>(n);
                const glm::vec2 pi = ei.a + (ei.b - ei.a) * t;
                const glm::vec2 pj = ej.a + (ej.b - ej.a) * t;
                const float seam =
                    pixelDifference(texel(pi + ei.inward * 0.5f), texel(pj + ej.inward * 0.5f));
                const float inner =
                    0.5f *
                    (pixelDifference(texel(pi + ei.inward * 0.5f), texel(pi + ei.inward * 1.5f)) +
                     pixelDifference(texel(pj + ej.inward * 0.5f), texel(pj + ej.inward * 1.5f)));
                out.meanSeam += seam;
                out.meanInterior += inner;
                out.maxSeam = std::max(out.maxSeam, seam);
                out.maxInterior = std::max(out.maxInterior, inner);
                ++samples;
            }
        }
    out.meanSeam /= static_cast<float>(samples);
    out.meanInterior /= static_cast<float>(samples);
    return out;
}

// Cloud edges make single steps large anywhere, so the largest step across a
// seam is compared with the largest step beside it.
bool seamless(const CubeSeams& s) {
    return s.meanSeam <= 2.0f * s.meanInterior + 0.004f &&
           s.maxSeam <= 1.5f * s.maxInterior + 0.01f;
}

}  // namespace

TEST(ImageRegistry, Table_HasEveryImageOnceWithItsFileName) {
    const std::set<std::string> expected{"grass",
                                         "grass_spec",
                                         "displacement_map3",
                                         "Mountain",
                                         "MountainDisplacement",
                                         "CubeMap",
                                         "Sun",
                                         "Fog",
                                         "EnergyG",
                                         "EnergyM",
                                         "EnergyT",
                                         "Veltrix3DLoadingScreen",
                                         "PlayerWinSplash",
                                         "PlayerLoseSplash",
                                         "PlayerDrawSplash"};
    std::set<std::string> names;
    for (const Recipe& r : recipes()) {
        EXPECT_TRUE(names.insert(r.name).second) << r.name << " twice";
        EXPECT_EQ(r.file, r.name + ".png");
        EXPECT_TRUE(r.make) << r.name;
    }
    EXPECT_EQ(names, expected);
    EXPECT_EQ(findRecipe("grass")->file, "grass.png");
    EXPECT_EQ(findRecipe("Grass"), nullptr);
    EXPECT_EQ(findRecipe(""), nullptr);
}

TEST(ImageRegistry, SceneTextures_HavePowerOfTwoSizes) {
    for (const std::string name :
         {"grass", "grass_spec", "displacement_map3", "Mountain", "MountainDisplacement", "Sun",
          "Fog", "EnergyG", "EnergyM", "EnergyT"}) {
        const Recipe& r = recipe(name);
        EXPECT_TRUE(r.powerOfTwo) << name;
        EXPECT_TRUE(isPowerOfTwo(r.width) && isPowerOfTwo(r.height))
            << name << " " << r.width << " x " << r.height;
    }
    // The sky cross cannot be a power of two both ways; its faces are.
    const Recipe& sky = recipe("CubeMap");
    EXPECT_EQ(sky.width * 3, sky.height * 4);
    EXPECT_TRUE(isPowerOfTwo(sky.width / 4));
    for (const std::string name :
         {"Veltrix3DLoadingScreen", "PlayerWinSplash", "PlayerLoseSplash", "PlayerDrawSplash"}) {
        const Recipe& r = recipe(name);
        EXPECT_GE(r.width, 1024) << name;
        EXPECT_EQ(r.width * 3, r.height * 4) << name << " should suit the default 4:3 window";
    }
}

TEST(ImageTiling, TileableTextures_ContinueAcrossBothBorders) {
    for (const Recipe& r : recipes()) {
        if (!r.tiles) continue;
        const Image img = r.make(r.width / 2, r.height / 2);
        const auto h = horizontalSeam(img), v = verticalSeam(img);
        EXPECT_TRUE(continues(h)) << r.name << " left/right seam " << h.seam << " vs "
                                  << h.interior;
        EXPECT_TRUE(continues(v)) << r.name << " top/bottom seam " << v.seam << " vs "
                                  << v.interior;
    }
}

TEST(ImageTiling, SeamCheck_DetectsATextureThatDoesNotTile) {
    // The same grass cut off at two thirds no longer meets itself.
    const Image grass = makeGrass(256, 256);
    Image cut(170, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 170; ++x) cut.at(x, y) = grass.at(x, y);
    EXPECT_FALSE(continues(horizontalSeam(cut)));
    const Image relief = makeGroundDisplacement(256, 256);
    Image shifted(256, 160);
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 256; ++x) shifted.at(x, y) = relief.at(x, y + 40);
    EXPECT_FALSE(continues(verticalSeam(shifted)));
}

TEST(ImageTiling, MountainStrips_ContinueAlongTheirLength) {
    for (const std::string name : {"Mountain", "MountainDisplacement"}) {
        const Image img = paintAt(name, 2);
        const auto h = horizontalSeam(img);
        EXPECT_TRUE(continues(h)) << name << " seam " << h.seam << " vs " << h.interior;
    }
}

TEST(ImageRelief, MountainDisplacement_RisesFromTheFieldToTheCrest) {
    const Image img = paintAt("MountainDisplacement", 2);
    float first = 0.0f, last = 0.0f;
    for (int x = 0; x < img.width(); ++x) {
        first += img.at(x, 1).r;
        last += img.at(x, img.height() - 1).r;
    }
    first /= static_cast<float>(img.width());
    last /= static_cast<float>(img.width());
    EXPECT_GT(first, 0.35f) << "the outer crest should be high";
    EXPECT_LT(last, 0.5f / 255.0f) << "the foot must meet the flat field";
}

TEST(ImageRelief, GroundDisplacement_LiftsAntsOnlyGently) {
    const Image img = paintAt("displacement_map3", 1);
    float lo = 1.0f, hi = 0.0f;
    for (const glm::vec4& px : img.data()) {
        // The ant's height: length of the colour over 6.
        const float h = glm::length(glm::vec3(px)) / 6.0f;
        lo = std::min(lo, h);
        hi = std::max(hi, h);
        EXPECT_FLOAT_EQ(px.r, px.g);
        EXPECT_FLOAT_EQ(px.g, px.b);
    }
    EXPECT_GE(lo, 0.0f);
    EXPECT_LE(hi, 0.15f);
    EXPECT_GT(hi - lo, 0.05f) << "the ground should not be flat";
}

TEST(ImageSky, CubeFaces_MeetWithoutSeamsWhereTheSkyBoxJoinsThem) {
    const Image sky = makeCubeMap(256, 192);
    const CubeSeams s = measureCubeSeams(sky);
    EXPECT_EQ(s.edges, 12);
    EXPECT_TRUE(seamless(s)) << "mean seam " << s.meanSeam << " interior " << s.meanInterior
                             << " max " << s.maxSeam << " max interior " << s.maxInterior;
}

TEST(ImageSky, SeamCheck_DetectsARotatedFace) {
    Image sky = makeCubeMap(256, 192);
    const int n = 64;
    const Image copy = sky;
    // Turn the top face by a quarter.
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) sky.at(n + x, y) = copy.at(n + y, n - 1 - x);
    EXPECT_FALSE(seamless(measureCubeSeams(sky)));
}

TEST(ImageSky, FaceDirections_AgreeWithTheSkyBoxCorners) {
    // The painter's face mapping must put each cell corner where the sky box
    // draws that corner of the cube.
    const glm::vec2 size(4.0f, 3.0f);
    for (const auto& face : kSkyBox)
        for (const Corner& c : face) {
            const glm::vec2 cellF = c.uv * size;
            bool found = false;
            for (const CubeFace f : {CubeFace::PosX, CubeFace::NegX, CubeFace::PosY, CubeFace::NegY,
                                     CubeFace::PosZ, CubeFace::NegZ}) {
                const glm::vec2 local = cellF - glm::vec2(cubeFaceCell(f));
                if (local.x < -1e-4f || local.y < -1e-4f || local.x > 1.0001f || local.y > 1.0001f)
                    continue;
                // Only the face whose own cell this corner belongs to counts.
                const glm::vec3 d = cubeFaceDirection(f, local.x, local.y);
                if (glm::length(d - c.pos) < 1e-4f) found = true;
            }
            EXPECT_TRUE(found) << "corner (" << c.pos.x << ", " << c.pos.y << ", " << c.pos.z
                               << ") at uv (" << c.uv.x << ", " << c.uv.y << ")";
        }
}

TEST(ImageSky, CubeMap_RefusesASizeThatIsNotACross) {
    EXPECT_THROW(makeCubeMap(256, 256), std::invalid_argument);
    EXPECT_THROW(makeCubeMap(250, 192), std::invalid_argument);
}

TEST(ImageSky, Sky_IsBrighterAtTheHorizonThanAtTheZenith) {
    const glm::vec4 zenith = skyColor({0, 1, 0});
    const glm::vec4 horizon = skyColor({1, 0.01f, 0});
    EXPECT_GT(horizon.r + horizon.g, zenith.r + zenith.g);
    EXPECT_GT(zenith.b, zenith.r);
}

TEST(ImageSprites, SunAndFog_FadeToTransparentBeforeTheirBorder) {
    for (const std::string name : {"Sun", "Fog"}) {
        const Image img = paintAt(name, 1);
        const int w = img.width(), h = img.height();
        for (int i = 0; i < w; ++i) {
            EXPECT_LT(img.at(i, 0).a, 0.5f / 255.0f) << name;
            EXPECT_LT(img.at(i, h - 1).a, 0.5f / 255.0f) << name;
            EXPECT_LT(img.at(0, i * h / w).a, 0.5f / 255.0f) << name;
            EXPECT_LT(img.at(w - 1, i * h / w).a, 0.5f / 255.0f) << name;
        }
        EXPECT_GT(img.at(w / 2, h / 2).a, 0.5f) << name;
    }
}

TEST(ImageSprites, Energies_CarryTheirTintAndVaryingTransparency) {
    struct Expect {
        std::string name;
        int strong1, strong2, weak;
    };
    for (const Expect& e :
         {Expect{"EnergyG", 1, 1, 0}, Expect{"EnergyM", 0, 2, 1}, Expect{"EnergyT", 1, 2, 0}}) {
        const Image img = paintAt(e.name, 2);
        glm::vec4 mean(0.0f);
        float lo = 1.0f, hi = 0.0f;
        for (const glm::vec4& px : img.data()) {
            mean += px / static_cast<float>(img.data().size());
            lo = std::min(lo, px.a);
            hi = std::max(hi, px.a);
        }
        EXPECT_GT(mean[e.strong1], 1.5f * mean[e.weak]) << e.name;
        EXPECT_GT(mean[e.strong2], 1.5f * mean[e.weak]) << e.name;
        EXPECT_LT(lo, 0.5f) << e.name << " should let the cone show through";
        EXPECT_GT(hi, 0.9f) << e.name;
    }
}

TEST(ImageScreens, Screens_ArePicturesNotFlatColour) {
    for (const std::string name :
         {"Veltrix3DLoadingScreen", "PlayerWinSplash", "PlayerLoseSplash", "PlayerDrawSplash"}) {
        const Image img = paintAt(name, 4);
        float mean = 0.0f, sq = 0.0f;
        for (const glm::vec4& px : img.data()) {
            const float l = 0.3f * px.r + 0.6f * px.g + 0.1f * px.b;
            mean += l;
            sq += l * l;
            EXPECT_EQ(px.a, 1.0f) << name << " must be opaque";
        }
        const float count = static_cast<float>(img.data().size());
        mean /= count;
        EXPECT_GT(std::sqrt(sq / count - mean * mean), 0.06f) << name;
    }
}

TEST(ImageDeterminism, EveryImage_IsTheSameWhenPaintedTwice) {
    for (const Recipe& r : recipes()) {
        const int divisor = r.name == "CubeMap" ? 8 : 4;
        const Image a = r.make(r.width / divisor, r.height / divisor);
        const Image b = r.make(r.width / divisor, r.height / divisor);
        EXPECT_TRUE(toBytes(a, r.png) == toBytes(b, r.png)) << r.name;
    }
}

TEST(ImageDeterminism, CommittedFiles_HaveTheTableSizes) {
    for (const Recipe& r : recipes()) {
        const std::string path = std::string(VX_GAME_DIR) + "/res/Textures/" + r.file;
        const PngPixels png = readPng(path);
        EXPECT_EQ(png.width, static_cast<unsigned>(r.width)) << path;
        EXPECT_EQ(png.height, static_cast<unsigned>(r.height)) << path;
    }
}

TEST(ImageDeterminism, CommittedFiles_AreWhatTheToolPaints) {
    // The cheap ones are repainted in full; a change to the painting code
    // that is not followed by regenerating the files shows up here.
    for (const std::string name : {"displacement_map3", "Sun", "Fog", "EnergyG"}) {
        const Recipe& r = recipe(name);
        const PngPixels png = readPng(std::string(VX_GAME_DIR) + "/res/Textures/" + r.file);
        EXPECT_TRUE(png.rgba == toBytes(r.make(r.width, r.height), r.png))
            << name << " differs from a fresh painting: run veltrix-imagetool game/res/Textures "
            << name;
    }
}
