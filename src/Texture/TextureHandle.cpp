#include "Texture/TextureHandle.h"

#include "Shader/HandleGuard.h"

namespace GLutil {

TextureHandle::TextureHandle() {
    glGenTextures(1, &id_);
    guardCreation(GLUTIL_SITE("GLutil::TextureHandle::TextureHandle"),
                  [this] { glDeleteTextures(1, &id_); });
}

TextureHandle::~TextureHandle() {
    guardRelease(GLUTIL_SITE("GLutil::TextureHandle::~TextureHandle"), "TextureHandle",
                 [this] { glDeleteTextures(1, &id_); });
}

}  // namespace GLutil
