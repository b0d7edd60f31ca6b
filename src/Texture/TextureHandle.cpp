#include "Texture/TextureHandle.h"

#include "Shader/CheckPoint.h"

#include <iostream>
#include <stdexcept>

namespace GLutil {

TextureHandle::TextureHandle() {
    glGenTextures(1, &id_);
    try {
        GLUTIL_CHECKPOINT("GLutil::TextureHandle::TextureHandle");
    } catch (...) {
        glDeleteTextures(1, &id_);
        throw;
    }
}

TextureHandle::~TextureHandle() {
    try {
        glDeleteTextures(1, &id_);
        GLUTIL_CHECKPOINT("GLutil::TextureHandle::~TextureHandle");
    } catch (const std::logic_error& e) {
        std::cerr << "Caught exception in TextureHandle Destructor: " << e.what() << "\n";
    }
}

}  // namespace GLutil
