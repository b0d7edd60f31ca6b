#include "Manager/TextManager/HelpOverlay.h"

namespace VX3D {

namespace {

constexpr float helpTop = 0.7733333f;
constexpr float helpStep = 23.0f / 300.0f;

constexpr float lineY(int k) {
    return helpTop - static_cast<float>(k) * helpStep;
}

}  // namespace

const std::array<HelpLine, 26>& helpLines() {
    static const std::array<HelpLine, 26> lines = {{
        {"Welcome to Veltrix3D: Orbanix", lineY(0)},
        {"Objective: Eat food, don't get beaten", lineY(1)},
        {"WASD Shift Space Cam control", lineY(2)},
        {"TAB Focus other ant", lineY(3)},
        {"LMB press to select ant", lineY(4)},
        {"LMB drag to select movement target", lineY(5)},
        {"LMB release to commence movement", lineY(6)},
        {"Q to unselect ant", lineY(7)},
        {"F1: This Help", lineY(8)},
        {"F2: Toggle FPS", lineY(9)},
        {"F3: Toggle Wireframe", lineY(10)},
        {"F4: Toggle Min Filter", lineY(11)},
        {"F5: Toggle Mag Filter", lineY(12)},
        {"F6: Toggle Vertex Buffer Usage (do not touch)", lineY(13)},
        {"F7: Toggle Fog", lineY(14)},
        {"F8: Toggle Frustrum Culling", lineY(15)},
        {"F9: Toggle Transparency", lineY(16)},
        {"F10: Toggle Tesselation", lineY(17)},
        {"F11: Toggle Tess granularity", lineY(18)},
        {"F12: Toggle Tess reduction in distance", lineY(19)},
        {"J: Bounding Boxes for Frustrum Culling", lineY(20)},
        {"K: Viewing AI opponent move", lineY(21)},
        {"L: Reset Game", lineY(22)},
        {"P: Save a screenshot", lineY(23)},
        {"X: Invert camera movement horizontally", lineY(24)},
        {"Y: Invert camera movement vertically", lineY(25)},
    }};
    return lines;
}

const std::array<HelpLine, 5>& replayHelpLines() {
    static const std::array<HelpLine, 5> lines = {{
        {"Replay: Enter to pause / resume", 0.85f},
        {"Right arrow: Next move at once", 0.85f - helpStep},
        {"V: Player 0 / player 1 / whole field", 0.85f - 2 * helpStep},
        {"L: Restart the replay", 0.85f - 3 * helpStep},
        {"Escape: End the replay", 0.85f - 4 * helpStep},
    }};
    return lines;
}

void showReplayHelp(TextManager& text, double lifetime) {
    for (const HelpLine& line : replayHelpLines())
        text.addText(frameRateAnchor, {0.98f, line.y}, helpSize, line.text, lifetime);
}

void showHelpOverlay(TextManager& text, double lifetime) {
    for (const HelpLine& line : helpLines()) {
        text.addText(helpAnchor, {helpX, line.y}, helpSize, line.text, lifetime);
    }
}

void showFrameRateLine(TextManager& text, const std::string& line) {
    text.addText(frameRateAnchor, {1.0f, 1.0f}, frameRateSize, line, frameRateLifetime);
}

}  // namespace VX3D
