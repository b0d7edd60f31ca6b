#include "Manager/TextManager/HelpOverlay.h"

namespace VX3D {

namespace {

constexpr float helpTop = 0.7733333f;
constexpr float helpStep = 23.0f / 300.0f;

constexpr float lineY(int k) {
    return helpTop - static_cast<float>(k) * helpStep;
}

}  // namespace

const std::array<HelpLine, 27>& helpLines() {
    static const std::array<HelpLine, 27> lines = {{
        {"Welcome to Veltrix3D: Orbanix", lineY(0)},
        {"Objective: Eat food, don't get beaten", lineY(1)},
        {"WASD Shift Space Cam control", lineY(2)},
        {"TAB Focus other ant", lineY(3)},
        {"LMB press to select ant", lineY(4)},
        {"LMB drag to select movement target", lineY(5)},
        {"LMB release to commence movement", lineY(6)},
        {"Q to unselect ant", lineY(7)},
        {"Space: Next player's view after the hand-over", lineY(8)},
        {"F1: This Help", lineY(9)},
        {"F2: Toggle FPS", lineY(10)},
        {"F3: Toggle Wireframe", lineY(11)},
        {"F4: Toggle Min Filter", lineY(12)},
        {"F5: Toggle Mag Filter", lineY(13)},
        {"F6: Toggle Vertex Buffer Usage (do not touch)", lineY(14)},
        {"F7: Toggle Fog", lineY(15)},
        {"F8: Toggle Frustrum Culling", lineY(16)},
        {"F9: Toggle Transparency", lineY(17)},
        {"F10: Toggle Tesselation", lineY(18)},
        {"F11: Toggle Tess granularity", lineY(19)},
        {"F12: Toggle Tess reduction in distance", lineY(20)},
        {"J: Bounding Boxes for Frustrum Culling", lineY(21)},
        {"K: Viewing AI opponent move", lineY(22)},
        {"L: Reset Game", lineY(23)},
        {"P: Save a screenshot", lineY(24)},
        {"X: Invert camera movement horizontally", lineY(25)},
        {"Y: Invert camera movement vertically", lineY(26)},
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

const std::array<HelpLine, 6>& networkHelpLines() {
    static const std::array<HelpLine, 6> lines = {{
        {"Network: veltrix3d --server HOST:PORT", 0.85f},
        {"(a new match: tell its code to your opponent)", 0.85f - helpStep},
        {"--join CODE: the other seat of that match", 0.85f - 2 * helpStep},
        {"--computer: the server's computer opponent", 0.85f - 3 * helpStep},
        {"--resume CODE: your seat back after a crash", 0.85f - 4 * helpStep},
        {"L after the end: a rematch, once both press it", 0.85f - 5 * helpStep},
    }};
    return lines;
}

void showNetworkHelp(TextManager& text, double lifetime) {
    for (const HelpLine& line : networkHelpLines())
        text.addText(frameRateAnchor, {0.98f, line.y}, helpSize, line.text, lifetime);
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
