#pragma once
// A hidden window with an OpenGL 4.0 compatibility context and GLEW initialised,
// for tests that need real graphics calls. Create one in SetUpTestSuite and keep it
// for the suite; it needs DISPLAY (the test harness points it at its Xvfb).
#include <GL/glew.h>

#include <memory>
#include <string>
#include <vector>

struct GLFWwindow;

namespace VX3DTest {

class GLTestContext {
public:
    GLTestContext(int width = 256, int height = 256);
    ~GLTestContext();
    GLTestContext(const GLTestContext&) = delete;
    GLTestContext& operator=(const GLTestContext&) = delete;

    GLFWwindow* window() const { return window_; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    GLFWwindow* window_ = nullptr;
    int width_;
    int height_;
};

// RGBA pixels of the currently bound read framebuffer, bottom row first.
std::vector<unsigned char> readPixels(int x, int y, int width, int height);

// Writes RGBA pixels (bottom row first, as glReadPixels gives them) to a PNG, top row first.
void writePng(const std::string& path, const std::vector<unsigned char>& rgba, int width,
              int height);

}  // namespace VX3DTest
