#include "FBO/FBO.h"

#include "Shader/CheckPoint.h"
#include "Shader/HandleGuard.h"
#include "Veltrix3D/RenderState.h"

#include <stdexcept>
#include <string>

namespace GLutil {

FBOHandle::FBOHandle() {
    glGenFramebuffers(1, &id_);
    guardCreation(GLUTIL_SITE("GLutil::FBOHandle::FBOHandle"),
                  [this] { glDeleteFramebuffers(1, &id_); });
}

FBOHandle::~FBOHandle() {
    guardRelease(GLUTIL_SITE("GLutil::FBOHandle::~FBOHandle"), "FBOHandle",
                 [this] { glDeleteFramebuffers(1, &id_); });
}

RBHandle::RBHandle() {
    glGenRenderbuffers(1, &id_);
    guardCreation(GLUTIL_SITE("GLutil::RBHandle::RBHandle"),
                  [this] { glDeleteRenderbuffers(1, &id_); });
}

RBHandle::~RBHandle() {
    guardRelease(GLUTIL_SITE("GLutil::RBHandle::~RBHandle"), "RBHandle",
                 [this] { glDeleteRenderbuffers(1, &id_); });
}

FBO::FBO(GLint width, GLint height, bool mipmaps)
    : width_(width), height_(height), mipmaps_(mipmaps) {}

void FBO::attatchDepthBuffer() {
    glBindFramebuffer(GL_FRAMEBUFFER, handle_.id());
    depth_ = std::make_shared<RBHandle>();
    glBindRenderbuffer(GL_RENDERBUFFER, depth_->id());
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, width_, height_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_->id());
    unbind();
    GLUTIL_CHECKPOINT("GLutil::FBO::attatchDepthBuffer");
}

void FBO::attatchTexture(GLint internalFormat, GLenum format, GLenum attachment) {
    glBindFramebuffer(GL_FRAMEBUFFER, handle_.id());
    auto texture = std::make_shared<TextureHandle>();
    textures_.push_back(texture);
    glBindTexture(GL_TEXTURE_2D, texture->id());
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width_, height_, 0, format, GL_UNSIGNED_BYTE,
                 nullptr);
    glFramebufferTexture2D(GL_FRAMEBUFFER, attachment, GL_TEXTURE_2D, texture->id(), 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER,
                    static_cast<GLint>(VX3D::RenderState::magFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                    mipmaps_ ? static_cast<GLint>(VX3D::RenderState::minFilter) : GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_REF_TO_TEXTURE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
    unbind();
}

const std::shared_ptr<TextureHandle>& FBO::getTexture(std::size_t index) const {
    if (index >= textures_.size()) {
        throw std::out_of_range("FBO::getTexture: index " + std::to_string(index) + " but " +
                                std::to_string(textures_.size()) + " textures attached");
    }
    return textures_[index];
}

void FBO::unbind() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    GLUTIL_CHECKPOINT("GLutil::FBO::unbind");
}

void FBO::finish(bool resetBuffers) {
    unbind();
    if (resetBuffers) {
        glDrawBuffer(GL_BACK);
        glReadBuffer(GL_BACK);
    }
    if (mipmaps_) {
        for (const auto& texture : textures_) {
            glBindTexture(GL_TEXTURE_2D, texture->id());
            glGenerateMipmap(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, 0);
        }
    }
    GLUTIL_CHECKPOINT("GLutil::FBO::finish");
}

void FBO::checkStatus() {
    switch (glCheckFramebufferStatus(GL_FRAMEBUFFER)) {
        case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT:
            throw std::logic_error("GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT");
        case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT:
            throw std::logic_error("GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT");
        case GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER:
            throw std::logic_error("GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER");
        case GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER:
            throw std::logic_error("GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER");
        case GL_FRAMEBUFFER_UNSUPPORTED:
            throw std::logic_error("GL_FRAMEBUFFER_UNSUPPORTED");
        case GL_FRAMEBUFFER_INCOMPLETE_MULTISAMPLE:
            throw std::logic_error("GL_FRAMEBUFFER_INCOMPLETE_MULTISAMPLE");
        case GL_FRAMEBUFFER_INCOMPLETE_LAYER_TARGETS:
            throw std::logic_error("GL_FRAMEBUFFER_INCOMPLETE_LAYER_TARGETS");
        default:
            break;
    }
    GLUTIL_CHECKPOINT("GLutil::FBO::checkStatus");
}

}  // namespace GLutil
