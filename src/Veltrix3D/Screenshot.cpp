#include "Veltrix3D/Screenshot.h"

#include <GL/glew.h>
#include <lodepng.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace VX3D {

std::string saveScreenshot(int width, int height, const std::string& directory) {
    namespace fs = std::filesystem;
    const auto w = static_cast<std::size_t>(width);
    const auto h = static_cast<std::size_t>(height);
    std::vector<unsigned char> pixels(w * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    // OpenGL gives the bottom row first, PNG wants the top row first.
    std::vector<unsigned char> image(pixels.size());
    for (std::size_t row = 0; row < h; ++row)
        std::copy_n(&pixels[(h - 1 - row) * w * 4], w * 4, &image[row * w * 4]);
    for (std::size_t i = 3; i < image.size(); i += 4) image[i] = 255;  // the window is opaque

    std::error_code ignored;
    fs::create_directories(directory, ignored);
    fs::path file;
    for (int n = 1;; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "veltrix-%04d.png", n);
        file = fs::path(directory) / name;
        if (!fs::exists(file)) break;
    }
    const unsigned error = lodepng::encode(file.string(), image, static_cast<unsigned>(width),
                                           static_cast<unsigned>(height));
    if (error != 0)
        throw std::runtime_error("saveScreenshot: cannot write " + file.string() + ": " +
                                 lodepng_error_text(error));
    return file.string();
}

}  // namespace VX3D
