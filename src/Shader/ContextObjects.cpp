#include "Shader/ContextObjects.h"

#include <vector>

namespace GLutil::ContextObjects {
namespace {

std::vector<std::function<void()>>& steps() {
    static std::vector<std::function<void()>> registered;
    return registered;
}

}  // namespace

void atRelease(std::function<void()> release) {
    steps().push_back(std::move(release));
}

void releaseAll() {
    // A step may register again (an object made anew while another is released): take the
    // list first, so that such a registration waits for the next call.
    std::vector<std::function<void()>> now;
    now.swap(steps());
    for (auto step = now.rbegin(); step != now.rend(); ++step) (*step)();
}

std::size_t pending() {
    return steps().size();
}

}  // namespace GLutil::ContextObjects
