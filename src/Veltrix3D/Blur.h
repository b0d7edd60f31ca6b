#pragma once
// One instance of the separable blur behind shadowblurTexture and glowblurTexture: its own
// "BlurShader" program, quad and two targets, all made by the constructor.
//
// A call blurs along x into the reduced target A, then along y into the full-size target B,
// and returns B's texture. A's size comes from the factor the instance was made with and
// stays; the sample step follows each call's factor, so a later call with another factor
// blurs wider or narrower on the same A.
#include "FBO/FBO.h"
#include "Shader/ShaderProgram.h"
#include "Texture/TextureHandle.h"
#include "VAO/DrawableVAO.h"

#include <memory>

namespace VX3D {

class Blur {
public:
    // operation names the checkpoints of every call; A is trunc(width / factor) ×
    // trunc(height / factor), B width × height.
    Blur(const char* operation, int width, int height, float factor);

    std::shared_ptr<GLutil::TextureHandle> operator()(
        const std::shared_ptr<GLutil::TextureHandle>& texture, int width, int height, float factor);

    const GLutil::FBO& reducedTarget() const { return *reduced_; }
    const GLutil::FBO& fullTarget() const { return *full_; }

private:
    const char* operation_;
    std::shared_ptr<GLutil::ShaderProgram> program_;
    std::unique_ptr<GLutil::DrawableVAO> quad_;
    std::unique_ptr<GLutil::FBO> reduced_;
    std::unique_ptr<GLutil::FBO> full_;
};

}  // namespace VX3D
