// Painting pieces shared by the screens: sky, hills, meadow, grass, portals,
// ants, food and styled text. Coordinates are image pixels, y down.
#pragma once

#include "imagecore/Image.h"
#include "imagecore/Text.h"

#include <cstdint>
#include <string>

namespace vximg::scenery {

struct SkyPalette {
    glm::vec3 top;
    glm::vec3 middle;
    glm::vec3 horizon;
};
void paintSky(Image& image, const SkyPalette& palette, float horizonY);
void paintStars(Image& image, float horizonY, float amount, std::uint32_t seed);
// A faint cloud of colour across the upper sky.
void paintNebula(Image& image, float horizonY, glm::vec3 tint, float strength, std::uint32_t seed);
// A silhouette ridge whose crest lies around baseY, rising up to `amplitude` pixels.
void paintHills(Image& image, float baseY, float amplitude, glm::vec3 color, std::uint32_t seed);
// Ground from the horizon down, with perspective patches of lighter and darker grass.
void paintGround(Image& image, float horizonY, glm::vec3 far, glm::vec3 near, std::uint32_t seed);

struct BladeLayer {
    float rootY;  // roots lie between rootY and rootY + rootSpread
    float rootSpread;
    int count;
    float minHeight;
    float maxHeight;
    glm::vec3 dark;   // colour at the root
    glm::vec3 light;  // colour at the tip
    std::uint32_t seed;
};
void paintBlades(Image& image, const BladeLayer& layer);

struct Portal {
    glm::vec2 base;  // where the ring stands on the ground
    float height;
    glm::vec3 color;
    std::uint32_t seed;
};
void paintPortal(Image& image, const Portal& portal);

struct Ant {
    glm::vec2 feet;  // ground point under the body
    float length;    // from the tail tip to the mandibles, in pixels
    bool facingRight = true;
    bool onBack = false;
    glm::vec3 body;
    glm::vec3 rim;  // light from the scene that catches its outline
};
void paintAnt(Image& image, const Ant& ant);

// A round berry with a leaf, lying on the ground at `ground`.
void paintBerry(Image& image, glm::vec2 ground, float radius, glm::vec3 color);

// Drifting sparks of light around a point.
void paintSparks(Image& image, glm::vec2 centre, glm::vec2 spread, int count, glm::vec3 color,
                 std::uint32_t seed);

struct TextStyle {
    glm::vec3 top;     // fill colour at the top of the letters
    glm::vec3 bottom;  // and at the baseline
    glm::vec3 outline;
    float outlineWidth;  // pixels
    glm::vec3 glow;
    float glowRadius;  // pixels
    float shadow;      // opacity of the drop shadow
};
void paintText(Image& image, const Font& font, const std::string& text, int pixelSize,
               TextPlacement at, const TextStyle& style);

// A warm or cold light that fills part of the sky, for sunrises and portals.
void paintSkyGlow(Image& image, glm::vec2 centre, glm::vec2 radii, glm::vec3 light);
void vignette(Image& image, float strength);

}  // namespace vximg::scenery
