#include "Drawables/SceneObject/Animation.h"

#include <glm/gtc/matrix_transform.hpp>

namespace GLutil::drawableObjects {
namespace {

// The keys around t: equal iterators when one key answers on its own.
template <typename Map>
std::pair<typename Map::const_iterator, typename Map::const_iterator> bracket(const Map& keys,
                                                                              double t) {
    auto after = keys.lower_bound(t);
    if (after == keys.end()) {
        auto last = std::prev(keys.end());
        return {last, last};
    }
    if (after->first == t || after == keys.begin()) return {after, after};
    return {std::prev(after), after};
}

float factor(double t0, double t1, double t) {
    return static_cast<float>((t - t0) / (t1 - t0));
}

}  // namespace

glm::vec3 sampleKeys(const std::map<double, glm::vec3>& keys, double t, glm::vec3 fallback) {
    if (keys.empty()) return fallback;
    if (keys.size() == 1) return keys.begin()->second;
    const auto [a, b] = bracket(keys, t);
    if (a == b) return a->second;
    return glm::mix(a->second, b->second, factor(a->first, b->first, t));
}

glm::quat sampleKeys(const std::map<double, glm::quat>& keys, double t) {
    if (keys.empty()) return glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
    if (keys.size() == 1) return glm::normalize(keys.begin()->second);
    const auto [a, b] = bracket(keys, t);
    if (a == b) return glm::normalize(a->second);
    return glm::normalize(glm::slerp(a->second, b->second, factor(a->first, b->first, t)));
}

glm::mat4 AnimationChannel::sample(double fileTime) const {
    const glm::vec3 s = sampleKeys(scalings, fileTime, glm::vec3(1.0f));
    const glm::vec3 p = sampleKeys(translations, fileTime, glm::vec3(0.0f));
    const glm::quat r = sampleKeys(rotations, fileTime);
    return glm::scale(glm::mat4(1.0f), s) * glm::translate(glm::mat4(1.0f), p) * glm::mat4_cast(r);
}

glm::mat4 AnimationChannel::transformAt(double now) {
    // A clip started without a positive duration has no time to play: it is at its end.
    double t = duration > 0.0 ? clipLength * (now - startTime) / duration : clipLength + 1.0;
    if (t > clipLength) {
        if (looping) {
            startTime = now;
            t = 0.0;
        } else {
            playing = false;
            t = clipLength;
        }
    }
    return sample(t + clip * clipSpacing);
}

}  // namespace GLutil::drawableObjects
