#pragma once
// Key-frame animation of one model node. The clips of a model lie on one time line
// in the file, 7/3 time units apart, each 2 units long: clip c plays the keys from
// c * 7/3 to c * 7/3 + 2 over the duration it is started with.
#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include <cstdint>
#include <map>

namespace GLutil::drawableObjects {

inline constexpr double clipSpacing = 7.0 / 3.0;
inline constexpr double clipLength = 2.0;

struct AnimationChannel {
    std::map<double, glm::vec3> translations;
    std::map<double, glm::quat> rotations;
    std::map<double, glm::vec3> scalings;
    double startTime = 0.0;
    double duration = -1.0;
    std::int32_t clip = -1;
    bool playing = false;
    bool looping = false;

    // The node's transform at clock time `now` (scale x translation x rotation).
    // Advances the playback state: a looping clip past its end restarts at `now`;
    // a non-looping one shows its last pose once and stops playing.
    glm::mat4 transformAt(double now);
    // The transform at a time on the file's time line, without touching the state.
    glm::mat4 sample(double fileTime) const;
};

// Key lookup: a single key everywhere; past the last key the last; before the first
// the first; otherwise the two surrounding keys blended (rotations by slerp).
glm::vec3 sampleKeys(const std::map<double, glm::vec3>& keys, double t, glm::vec3 fallback);
glm::quat sampleKeys(const std::map<double, glm::quat>& keys, double t);

}  // namespace GLutil::drawableObjects
