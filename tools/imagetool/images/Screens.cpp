// The loading screen and the three end-of-game splashes: a meadow at dusk or
// dawn with ants and portals, the title or the result in large letters.
// Painted top row first like any picture and flipped at the end.
#include "images/Images.h"

#include "images/Scenery.h"
#include "imagecore/Ramp.h"
#include "imagecore/Text.h"

namespace vximg {

namespace {

using namespace scenery;

constexpr const char* kHint = "Press L for a new game  \u00b7  Esc to quit";

struct Frame {
    float w;
    float h;
    glm::vec2 at(float x, float y) const { return {x * w, y * h}; }
};

Frame frameOf(const Image& image) {
    return {static_cast<float>(image.width()), static_cast<float>(image.height())};
}

// Grass behind the ants, then a low fringe in front that only hides their toes.
void paintMidground(Image& image, glm::vec3 dark, glm::vec3 light, std::uint32_t seed) {
    const Frame f = frameOf(image);
    paintBlades(image, {f.h * 0.74f, f.h * 0.14f, static_cast<int>(f.w * 1.1f), f.h * 0.03f,
                        f.h * 0.09f, dark * 1.3f, light * 0.8f, seed});
}

void paintForeground(Image& image, glm::vec3 dark, glm::vec3 light, std::uint32_t seed) {
    const Frame f = frameOf(image);
    paintBlades(image, {f.h * 0.90f, f.h * 0.12f, static_cast<int>(f.w * 0.7f), f.h * 0.02f,
                        f.h * 0.06f, dark, light, seed + 1});
    paintBlades(image, {f.h * 0.99f, f.h * 0.04f, static_cast<int>(f.w * 0.25f), f.h * 0.06f,
                        f.h * 0.16f, dark * 0.7f, light * 0.8f, seed + 2});
}

// The result splash: a title, a line saying why, and the keys that lead on.
void paintResultText(Image& image, const std::string& title, const std::string& subline,
                     const TextStyle& style, glm::vec3 sublineColor) {
    const Frame f = frameOf(image);
    const Font bold(kFontSansBold);
    const Font regular(kFontSans);
    const int titleSize =
        bold.fitSize(title, static_cast<int>(f.h * 0.24f), static_cast<int>(f.w * 0.8f));
    paintText(image, bold, title, titleSize, {f.w * 0.5f, f.h * 0.33f}, style);
    const TextStyle sub{
        sublineColor, sublineColor * 0.85f, glm::vec3(0.02f), 2.0f, style.glow * 0.5f, 10.0f, 0.6f};
    const int subSize =
        bold.fitSize(subline, static_cast<int>(f.h * 0.055f), static_cast<int>(f.w * 0.85f));
    paintText(image, bold, subline, subSize, {f.w * 0.5f, f.h * 0.43f}, sub);
    const TextStyle hint{
        glm::vec3(0.92f), glm::vec3(0.8f), glm::vec3(0.02f), 1.5f, glm::vec3(0.0f), 6.0f, 0.7f};
    paintText(image, regular, kHint, static_cast<int>(f.h * 0.034f), {f.w * 0.5f, f.h * 0.965f},
              hint);
}

}  // namespace

Image makeLoadingScreen(int width, int height) {
    Image img(width, height);
    const Frame f = frameOf(img);
    const float horizon = f.h * 0.62f;
    paintSky(img, {rgb(6, 5, 22), rgb(30, 16, 58), rgb(120, 56, 96)}, horizon);
    paintNebula(img, horizon, glm::vec3(rgb(60, 40, 120)), 0.6f, 101);
    paintStars(img, horizon, 1.0f, 102);
    paintSkyGlow(img, f.at(0.5f, 0.62f), f.at(0.6f, 0.12f), glm::vec3(rgb(90, 40, 70)));
    paintHills(img, horizon - f.h * 0.01f, f.h * 0.07f, glm::vec3(rgb(34, 20, 48)), 103);
    paintHills(img, horizon + f.h * 0.005f, f.h * 0.04f, glm::vec3(rgb(18, 14, 28)), 104);
    paintGround(img, horizon, glm::vec3(rgb(22, 34, 30)), glm::vec3(rgb(8, 22, 10)), 105);

    const Portal magenta{f.at(0.50f, 0.69f), f.h * 0.17f, glm::vec3(1.0f, 0.25f, 0.85f), 111};
    const Portal green{f.at(0.17f, 0.77f), f.h * 0.25f, glm::vec3(0.2f, 1.0f, 0.4f), 112};
    const Portal turquoise{f.at(0.84f, 0.79f), f.h * 0.27f, glm::vec3(0.15f, 0.95f, 0.95f), 113};
    for (const Portal& p : {magenta, green, turquoise}) {
        paintPortal(img, p);
        paintSparks(img, p.base - glm::vec2(0, p.height * 0.5f), glm::vec2(p.height * 0.45f), 40,
                    p.color, p.seed + 7);
    }
    paintBlades(img, {f.h * 0.66f, f.h * 0.08f, static_cast<int>(f.w * 1.2f), f.h * 0.012f,
                      f.h * 0.03f, glm::vec3(rgb(10, 24, 12)), glm::vec3(rgb(40, 70, 40)), 106});

    paintMidground(img, glm::vec3(rgb(4, 14, 6)), glm::vec3(rgb(30, 70, 34)), 108);
    paintBerry(img, f.at(0.52f, 0.845f), f.h * 0.018f, glm::vec3(rgb(200, 30, 60)));
    paintBerry(img, f.at(0.555f, 0.855f), f.h * 0.014f, glm::vec3(rgb(170, 20, 70)));
    paintAnt(img, {f.at(0.33f, 0.87f), f.w * 0.17f, true, false, glm::vec3(rgb(150, 26, 16)),
                   glm::vec3(rgb(120, 255, 150))});
    paintAnt(img, {f.at(0.70f, 0.88f), f.w * 0.17f, false, false, glm::vec3(rgb(24, 46, 160)),
                   glm::vec3(rgb(120, 255, 250))});
    paintForeground(img, glm::vec3(rgb(4, 14, 6)), glm::vec3(rgb(30, 70, 34)), 107);
    vignette(img, 0.55f);

    const Font bold(kFontSansBold);
    const std::string title = "Veltrix 3D: Orbanix";
    const int size =
        bold.fitSize(title, static_cast<int>(f.h * 0.14f), static_cast<int>(f.w * 0.88f));
    paintText(img, bold, title, size, {f.w * 0.5f, f.h * 0.24f},
              {glm::vec3(rgb(255, 250, 226)), glm::vec3(rgb(255, 184, 70)),
               glm::vec3(rgb(30, 10, 40)), 4.0f, glm::vec3(rgb(200, 90, 255)), 22.0f, 0.6f});
    const Font regular(kFontSans);
    paintText(img, bold, "Loading\u2026", static_cast<int>(f.h * 0.05f), {f.w * 0.5f, f.h * 0.34f},
              {glm::vec3(rgb(210, 255, 240)), glm::vec3(rgb(140, 240, 220)),
               glm::vec3(rgb(8, 20, 24)), 2.0f, glm::vec3(rgb(40, 200, 180)), 10.0f, 0.6f});
    return flippedVertically(img);
}

Image makeWinSplash(int width, int height) {
    Image img(width, height);
    const Frame f = frameOf(img);
    const float horizon = f.h * 0.66f;
    paintSky(img, {rgb(24, 40, 96), rgb(140, 100, 140), rgb(255, 190, 110)}, horizon);
    paintStars(img, horizon * 0.5f, 0.3f, 201);
    paintSkyGlow(img, f.at(0.5f, 0.66f), f.at(0.35f, 0.22f), glm::vec3(rgb(255, 170, 60)));
    paintSkyGlow(img, f.at(0.5f, 0.66f), f.at(0.08f, 0.06f), glm::vec3(rgb(255, 240, 200)));
    paintHills(img, horizon, f.h * 0.06f, glm::vec3(rgb(90, 60, 70)), 202);
    paintHills(img, horizon + f.h * 0.01f, f.h * 0.035f, glm::vec3(rgb(50, 40, 40)), 203);
    paintGround(img, horizon, glm::vec3(rgb(90, 96, 50)), glm::vec3(rgb(26, 50, 16)), 204);
    paintBlades(img, {f.h * 0.68f, f.h * 0.1f, static_cast<int>(f.w * 1.0f), f.h * 0.012f,
                      f.h * 0.03f, glm::vec3(rgb(40, 60, 20)), glm::vec3(rgb(150, 150, 60)), 205});

    paintMidground(img, glm::vec3(rgb(16, 30, 8)), glm::vec3(rgb(110, 130, 40)), 208);
    for (int i = 0; i < 7; ++i) {
        const float x = 0.36f + 0.045f * static_cast<float>(i) + (i % 2 ? 0.01f : 0.0f);
        paintBerry(img, f.at(x, 0.88f + 0.012f * static_cast<float>(i % 3)),
                   f.h * (0.018f + 0.004f * static_cast<float>(i % 3)),
                   glm::vec3(rgb(210, 30 + 10 * i, 50)));
    }
    paintAnt(img, {f.at(0.49f, 0.84f), f.w * 0.26f, true, false, glm::vec3(rgb(170, 28, 16)),
                   glm::vec3(rgb(255, 220, 140))});
    paintSparks(img, f.at(0.5f, 0.55f), f.at(0.25f, 0.12f), 90, glm::vec3(rgb(255, 220, 120)), 206);
    paintForeground(img, glm::vec3(rgb(16, 30, 8)), glm::vec3(rgb(110, 130, 40)), 207);
    vignette(img, 0.5f);
    paintResultText(img, "Victory!", "The red colony gathered the most food",
                    {glm::vec3(rgb(255, 252, 220)), glm::vec3(rgb(255, 176, 40)),
                     glm::vec3(rgb(70, 24, 6)), 5.0f, glm::vec3(rgb(255, 150, 40)), 26.0f, 0.5f},
                    glm::vec3(rgb(255, 236, 200)));
    return flippedVertically(img);
}

Image makeLoseSplash(int width, int height) {
    Image img(width, height);
    const Frame f = frameOf(img);
    const float horizon = f.h * 0.64f;
    paintSky(img, {rgb(8, 6, 12), rgb(44, 14, 26), rgb(120, 30, 30)}, horizon);
    paintNebula(img, horizon, glm::vec3(rgb(90, 30, 40)), 0.5f, 301);
    paintStars(img, horizon, 0.5f, 302);
    paintHills(img, horizon, f.h * 0.07f, glm::vec3(rgb(36, 14, 20)), 303);
    paintGround(img, horizon, glm::vec3(rgb(34, 26, 30)), glm::vec3(rgb(10, 14, 10)), 304);
    const Portal cold{f.at(0.8f, 0.75f), f.h * 0.22f, glm::vec3(0.25f, 0.4f, 1.0f), 305};
    paintPortal(img, cold);
    paintBlades(img, {f.h * 0.66f, f.h * 0.1f, static_cast<int>(f.w * 1.0f), f.h * 0.012f,
                      f.h * 0.03f, glm::vec3(rgb(16, 20, 16)), glm::vec3(rgb(60, 60, 50)), 306});
    paintMidground(img, glm::vec3(rgb(6, 8, 6)), glm::vec3(rgb(50, 40, 36)), 308);
    // The red ant lies beaten on its back; the blue one stands over the food.
    paintAnt(img, {f.at(0.34f, 0.90f), f.w * 0.2f, true, true, glm::vec3(rgb(110, 20, 14)),
                   glm::vec3(rgb(120, 60, 60))});
    paintBerry(img, f.at(0.57f, 0.87f), f.h * 0.02f, glm::vec3(rgb(170, 30, 60)));
    paintAnt(img, {f.at(0.66f, 0.86f), f.w * 0.22f, false, false, glm::vec3(rgb(30, 54, 180)),
                   glm::vec3(rgb(140, 170, 255))});
    paintForeground(img, glm::vec3(rgb(6, 8, 6)), glm::vec3(rgb(50, 40, 36)), 307);
    vignette(img, 0.65f);
    paintResultText(img, "Defeat", "The blue colony gathered more food",
                    {glm::vec3(rgb(255, 220, 220)), glm::vec3(rgb(200, 40, 40)),
                     glm::vec3(rgb(20, 4, 6)), 5.0f, glm::vec3(rgb(200, 20, 30)), 24.0f, 0.6f},
                    glm::vec3(rgb(230, 210, 220)));
    return flippedVertically(img);
}

Image makeDrawSplash(int width, int height) {
    Image img(width, height);
    const Frame f = frameOf(img);
    const float horizon = f.h * 0.64f;
    paintSky(img, {rgb(6, 16, 30), rgb(20, 56, 74), rgb(110, 150, 150)}, horizon);
    paintNebula(img, horizon, glm::vec3(rgb(30, 90, 100)), 0.4f, 401);
    paintStars(img, horizon, 0.7f, 402);
    paintHills(img, horizon, f.h * 0.06f, glm::vec3(rgb(20, 40, 50)), 403);
    paintGround(img, horizon, glm::vec3(rgb(40, 60, 56)), glm::vec3(rgb(10, 26, 16)), 404);
    const Portal middle{f.at(0.5f, 0.74f), f.h * 0.22f, glm::vec3(0.15f, 0.95f, 0.95f), 405};
    paintPortal(img, middle);
    paintSparks(img, middle.base - glm::vec2(0, middle.height * 0.5f),
                glm::vec2(middle.height * 0.5f), 50, middle.color, 406);
    paintBlades(img, {f.h * 0.66f, f.h * 0.1f, static_cast<int>(f.w * 1.0f), f.h * 0.012f,
                      f.h * 0.03f, glm::vec3(rgb(12, 30, 20)), glm::vec3(rgb(50, 90, 70)), 407});
    paintMidground(img, glm::vec3(rgb(4, 14, 10)), glm::vec3(rgb(40, 80, 60)), 409);
    paintBerry(img, f.at(0.5f, 0.9f), f.h * 0.024f, glm::vec3(rgb(200, 30, 60)));
    paintAnt(img, {f.at(0.27f, 0.88f), f.w * 0.22f, true, false, glm::vec3(rgb(160, 28, 16)),
                   glm::vec3(rgb(140, 255, 240))});
    paintAnt(img, {f.at(0.73f, 0.88f), f.w * 0.22f, false, false, glm::vec3(rgb(28, 50, 170)),
                   glm::vec3(rgb(140, 255, 240))});
    paintForeground(img, glm::vec3(rgb(4, 14, 10)), glm::vec3(rgb(40, 80, 60)), 408);
    vignette(img, 0.55f);
    paintResultText(img, "Draw", "Both colonies gathered the same amount of food",
                    {glm::vec3(rgb(250, 255, 255)), glm::vec3(rgb(150, 200, 210)),
                     glm::vec3(rgb(6, 16, 22)), 5.0f, glm::vec3(rgb(60, 220, 220)), 24.0f, 0.6f},
                    glm::vec3(rgb(220, 240, 240)));
    return flippedVertically(img);
}

}  // namespace vximg
