#include "ToolSupport.h"

#include "Shader/ShaderStore.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <exception>
#include <iostream>

#include <sys/resource.h>

namespace VX3DTools {

int withHiddenContext(const char* tool, const std::function<int()>& body) {
    if (!glfwInit()) {
        std::cerr << tool << ": cannot open the window system (is DISPLAY set?)\n";
        return 1;
    }
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 0);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_COMPAT_PROFILE);
    GLFWwindow* window = glfwCreateWindow(64, 64, tool, nullptr, nullptr);
    if (!window) {
        std::cerr << tool << ": no OpenGL 4.0 context\n";
        glfwTerminate();
        return 1;
    }
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    int status = 1;
    if (glewInit() != GLEW_OK) {
        std::cerr << tool << ": glewInit failed\n";
    } else {
        // GLEW's own lookups may leave errors behind.
        while (glGetError() != GL_NO_ERROR) {
        }
        try {
            status = body();
        } catch (const std::exception& e) {
            std::cerr << tool << ": " << e.what() << "\n";
            status = 1;
        }
        GLutil::ShaderStore::purge();
    }
    glfwDestroyWindow(window);
    glfwTerminate();
    return status;
}

double processorMilliseconds() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    const auto ms = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
    };
    return ms(use.ru_utime) + ms(use.ru_stime);
}

}  // namespace VX3DTools
