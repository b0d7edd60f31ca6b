#include "imagecore/Ramp.h"

#include <stdexcept>
#include <string>

namespace vximg {

ColorRamp::ColorRamp(std::initializer_list<RampStop> list) : stops(list) {
    if (stops.empty()) throw std::invalid_argument("ColorRamp needs at least one stop");
    for (std::size_t i = 1; i < stops.size(); ++i)
        if (!(stops[i].at > stops[i - 1].at))
            throw std::invalid_argument("ColorRamp stops must increase, stop " + std::to_string(i) +
                                        " does not");
}

glm::vec4 ColorRamp::operator()(float t) const {
    if (t <= stops.front().at) return stops.front().color;
    for (std::size_t i = 1; i < stops.size(); ++i)
        if (t <= stops[i].at) {
            const float f = (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at);
            return stops[i - 1].color + (stops[i].color - stops[i - 1].color) * f;
        }
    return stops.back().color;
}

glm::vec4 rgb(int r, int g, int b, float a) {
    return {static_cast<float>(r) / 255.0f, static_cast<float>(g) / 255.0f,
            static_cast<float>(b) / 255.0f, a};
}

}  // namespace vximg
