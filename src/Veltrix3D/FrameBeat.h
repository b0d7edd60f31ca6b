#pragma once
// The frame loop's half-second beat, on which the frame-rate line and the help overlay are
// refreshed, and the loop's fixed projection.
#include <glm/glm.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace VX3D {

// What a beat reports: how many beats were missed because the frame took too long, and how
// many frames ran since the previous beat.
struct Beat {
    std::uint64_t missed = 0;
    std::uint64_t frames = 0;
};

class FrameBeat {
public:
    static constexpr double period = 0.5;

    // One frame's share of the beat: takes the frame time off the accumulator and, when it is
    // no longer above 0, refills it by whole periods and starts a new frame count. Then counts
    // this frame. Returns the beat when one is due.
    std::optional<Beat> frame(double frameTime);

    double accumulator() const { return accumulator_; }
    std::uint64_t frameCounter() const { return frames_; }

private:
    double accumulator_ = period;
    std::uint64_t frames_ = 0;
};

// "Missed " + n + " Events due to low update rate", or an empty text when nothing was missed.
std::string missedBeatsText(std::uint64_t missed);

// frames-per-second + " FPS (" + milliseconds + "ms), " + primitives + " primitives" for f
// frames in one beat. With no frames the milliseconds are infinite and written as "inf".
std::string frameRateText(std::uint64_t frames, std::uint32_t primitives);

// Perspective of 45 degrees vertically, the window's aspect, near 0.1 and far 100.
glm::mat4 projectionMatrix(int width, int height);

}  // namespace VX3D
