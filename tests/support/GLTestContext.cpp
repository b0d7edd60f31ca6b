#include "GLTestContext.h"

#include <GLFW/glfw3.h>
#include <lodepng.h>

#include <algorithm>
#include <stdexcept>

namespace VX3DTest {

GLTestContext::GLTestContext(int width, int height) : width_(width), height_(height) {
    if (!glfwInit()) throw std::runtime_error("GLTestContext: glfwInit failed (is DISPLAY set?)");
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 0);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_COMPAT_PROFILE);
    window_ = glfwCreateWindow(width, height, "VX3D test", nullptr, nullptr);
    if (!window_) {
        glfwTerminate();
        throw std::runtime_error("GLTestContext: could not create an OpenGL 4.0 window");
    }
    glfwMakeContextCurrent(window_);
    glewExperimental = GL_TRUE;
    GLenum err = glewInit();
    if (err != GLEW_OK) {
        glfwDestroyWindow(window_);
        glfwTerminate();
        throw std::runtime_error(std::string("GLTestContext: glewInit failed: ") +
                                 reinterpret_cast<const char*>(glewGetErrorString(err)));
    }
    while (glGetError() != GL_NO_ERROR) {
    }
}

GLTestContext::~GLTestContext() {
    glfwDestroyWindow(window_);
    glfwTerminate();
}

std::vector<unsigned char> readPixels(int x, int y, int width, int height) {
    std::vector<unsigned char> px(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    return px;
}

void writePng(const std::string& path, const std::vector<unsigned char>& rgba, int width,
              int height) {
    std::vector<unsigned char> flipped(rgba.size());
    const size_t row = static_cast<size_t>(width) * 4;
    for (int y = 0; y < height; ++y)
        std::copy_n(rgba.begin() + static_cast<std::ptrdiff_t>(y * row), row,
                    flipped.begin() + static_cast<std::ptrdiff_t>((height - 1 - y) * row));
    if (unsigned e = lodepng::encode(path, flipped, width, height))
        throw std::runtime_error("writePng " + path + ": " + lodepng_error_text(e));
}

}  // namespace VX3DTest
