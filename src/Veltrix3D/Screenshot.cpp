#include "Veltrix3D/Screenshot.h"

#include "Texture/Texture.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace VX3D {

std::string saveScreenshot(int width, int height, const std::string& directory) {
    namespace fs = std::filesystem;
    const GLutil::PngImage image = GLutil::readFramePixels(width, height, true);

    std::error_code ignored;
    fs::create_directories(directory, ignored);
    fs::path file;
    for (int n = 1;; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "veltrix-%04d.png", n);
        file = fs::path(directory) / name;
        if (!fs::exists(file)) break;
    }
    try {
        GLutil::writePng(file.string(), image);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(std::string("saveScreenshot: ") + e.what());
    }
    return file.string();
}

}  // namespace VX3D
