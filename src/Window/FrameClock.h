#pragma once
// The frame clock: start, previous and current time in seconds of the window's timer.
// Animations, turn windows, the camera, the fog and the texts read it.
#include "Window/Window.h"

namespace VX3D {

struct FrameClock {
    double start;
    double previous;
    double current;

    // All three are the same reading of the timer.
    FrameClock() : FrameClock(window::time()) {}
    explicit FrameClock(double now) : start(now), previous(now), current(now) {}

    // Moves current to previous and reads the timer.
    void update() { update(window::time()); }
    void update(double now) {
        previous = current;
        current = now;
    }

    double frameTime() const { return current - previous; }
};

}  // namespace VX3D
