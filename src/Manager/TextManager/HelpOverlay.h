#pragma once
// The two texts the frame loop refreshes on its half-second beat: the help overlay listing
// every key of the game, and the frame-rate line in the top-right corner.
#include "Manager/TextManager/TextManager.h"

#include <array>
#include <string>

namespace VX3D {

struct HelpLine {
    const char* text;
    float y;  // the line's top edge in normalised device coordinates
};

// The 27 help lines, top first. Each is placed with anchor 6 (top-left corner) at x = -1 and
// y = 0.7733333 - k * 23/300, so the last one hangs below the window's bottom edge.
const std::array<HelpLine, 27>& helpLines();

constexpr int helpAnchor = 6;
constexpr float helpX = -1.0f;
constexpr float helpSize = 1.0f / 15.0f;

// Adds the help lines to the text manager, in order, for the given lifetime.
void showHelpOverlay(TextManager& text, double lifetime);

// The replay's keys, top first, shown beside the help overlay while a record is replayed:
// anchor 8 (top-right corner) at x = 0.98 (clear of the edge), from y = 0.85 down in the overlay's
// steps.
const std::array<HelpLine, 5>& replayHelpLines();
void showReplayHelp(TextManager& text, double lifetime);

// How to play over a network, in the same place while no record is replayed.
const std::array<HelpLine, 6>& networkHelpLines();
void showNetworkHelp(TextManager& text, double lifetime);

constexpr int frameRateAnchor = 8;
constexpr float frameRateSize = 1.0f / 12.0f;
constexpr double frameRateLifetime = 0.5;

// Adds the frame-rate line (for example "60 FPS (16ms), 1234 primitives") with its top-right
// corner at the window's top-right corner, for one beat.
void showFrameRateLine(TextManager& text, const std::string& line);

}  // namespace VX3D
