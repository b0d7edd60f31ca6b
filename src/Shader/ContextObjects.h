#pragma once
// Graphics objects that live for the whole process in function-local statics (the
// post-processing passes and their targets, the programs every cube, move indicator and food
// piece share) are released here, before the window library takes the context down, rather
// than by the static destructors after it: deleting a graphics object without a current
// context is undefined (Mesa lets it pass; other drivers need not).
#include <cstddef>
#include <functional>
#include <memory>

namespace GLutil {

namespace ContextObjects {

// Registers a step that releases one such object.
void atRelease(std::function<void()> release);

// Runs the registered steps, the latest first, and forgets them. The shutdown calls it once
// the run's own objects are gone, before the window library terminates.
void releaseAll();

// The number of steps waiting for releaseAll.
std::size_t pending();

}  // namespace ContextObjects

// A process-wide object held in a function-local static:
//   static GLutil::Kept<Pass> pass([] { return makePass(); });
// The static's initialisation makes it, so the registries it enters on the way are made
// first and outlive it. releaseAll deletes it; asked for after that, it is made again.
template <class T>
class Kept {
public:
    explicit Kept(std::function<std::unique_ptr<T>()> make) : make_(std::move(make)) { refill(); }
    Kept(const Kept&) = delete;
    Kept& operator=(const Kept&) = delete;

    T& operator*() {
        if (!object_) refill();
        return *object_;
    }
    T* operator->() { return &**this; }

private:
    void refill() {
        object_ = make_();
        ContextObjects::atRelease([this] { object_.reset(); });
    }

    std::function<std::unique_ptr<T>()> make_;
    std::unique_ptr<T> object_;
};

}  // namespace GLutil
