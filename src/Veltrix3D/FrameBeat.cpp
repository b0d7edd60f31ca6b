#include "Veltrix3D/FrameBeat.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>
#include <limits>
#include <sstream>

namespace VX3D {

std::optional<Beat> FrameBeat::frame(double frameTime) {
    std::optional<Beat> beat;
    accumulator_ -= frameTime;
    if (accumulator_ <= 0.0) {
        // Whole periods at once: a frame that blocked for minutes must not loop for minutes.
        const double periods = std::floor(-accumulator_ / period) + 1.0;
        accumulator_ += periods * period;
        if (accumulator_ <= 0.0) accumulator_ += period;  // rounding at the boundary
        const auto count = static_cast<std::uint64_t>(periods);
        beat = Beat{count - 1, frames_};
        frames_ = 0;
    }
    ++frames_;
    return beat;
}

std::string missedBeatsText(std::uint64_t missed) {
    if (missed == 0) return {};
    return "Missed " + std::to_string(missed) + " Events due to low update rate";
}

std::string frameRateText(std::uint64_t frames, std::uint32_t primitives) {
    std::ostringstream text;
    const double f = static_cast<double>(frames);
    text << static_cast<std::uint64_t>(std::ceil(f / FrameBeat::period)) << " FPS (";
    if (frames == 0)
        text << std::numeric_limits<double>::infinity();
    else
        text << static_cast<std::uint64_t>(std::floor(FrameBeat::period / f * 1000.0));
    text << "ms), " << primitives << " primitives";
    return text.str();
}

glm::mat4 projectionMatrix(int width, int height) {
    return glm::perspective(glm::radians(45.0f),
                            static_cast<float>(width) / static_cast<float>(height), 0.1f, 100.0f);
}

}  // namespace VX3D
