#pragma once
// What the off-screen tools (veltrix-scene, fogview, modelpreview, veltrix-framebench) share.
#include <functional>

namespace VX3DTools {

// Opens a hidden 64 × 64 window with an OpenGL 4.0 compatibility context, runs the body in it
// and closes it again. Returns the body's status, or 1 when there is no display or context or
// when the body throws; every failure is printed on the error stream behind "<tool>: ". The
// shared shaders are purged before the context goes, not at static destruction after it.
int withHiddenContext(const char* tool, const std::function<int()>& body);

// Processor time of the whole process (every rendering thread) in milliseconds: unlike the
// wall clock it hardly changes when other programs load the machine.
double processorMilliseconds();

}  // namespace VX3DTools
