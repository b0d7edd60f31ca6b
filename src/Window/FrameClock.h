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

    // Moves current to previous and reads the timer (plus what skip() has added).
    void update() { update(window::time() + skipped); }
    void update(double now) {
        previous = current;
        current = now;
    }

    double frameTime() const { return current - previous; }

    // Puts the clock ahead by `seconds` for good: everything timed by it is that much further
    // on at once, while the frame time stays that of a plain frame.
    void skip(double seconds) {
        skipped += seconds;
        previous += seconds;
        current += seconds;
    }

    double skipped = 0.0;
};

}  // namespace VX3D
