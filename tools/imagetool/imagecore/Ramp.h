// Colour ramps: a value in 0..1 becomes a colour by linear interpolation
// between sorted stops; the ends clamp.
#pragma once

#include <glm/vec4.hpp>

#include <initializer_list>
#include <vector>

namespace vximg {

struct RampStop {
    float at;
    glm::vec4 color;
};

class ColorRamp {
public:
    // Stops must be non-empty and in strictly increasing order of `at`.
    ColorRamp(std::initializer_list<RampStop> stops);
    glm::vec4 operator()(float t) const;

private:
    std::vector<RampStop> stops;
};

// sRGB bytes (as a painter picks them) to the 0..1 floats of the images.
glm::vec4 rgb(int r, int g, int b, float a = 1.0f);

}  // namespace vximg
