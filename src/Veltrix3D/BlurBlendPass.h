#pragma once
// The pieces that the blur and compositing passes share: the full-screen quad, a pass program
// built the way every pass builds it, colour targets, binding a target for a pass, and the
// states a full-screen quad needs.
#include "FBO/FBO.h"
#include "Shader/ShaderProgram.h"
#include "Texture/TextureHandle.h"
#include "VAO/DrawableVAO.h"

#include <GL/glew.h>

#include <memory>
#include <string>

namespace VX3D::pass {

// Four clip-space corners as one GL_QUADS quad, texture coordinates with v up.
std::unique_ptr<GLutil::DrawableVAO> makeScreenQuad();

// The program `name` from "Shader/<file>.vert" and "Shader/<file>.frag", with "vertex" at
// slot 0 and "uv" at slot 1: linked, validated, used once and left unused.
std::shared_ptr<GLutil::ShaderProgram> makeProgram(const std::string& name,
                                                   const std::string& file);

// A width × height target with one GL_RGBA8 colour texture at attachment 0, and with
// withDepth a depth buffer attached after it.
std::unique_ptr<GLutil::FBO> makeColourTarget(int width, int height, bool mipmaps, bool withDepth);

// The reduced passes read a mipmapped target no coarser than a fifth of its size (the glow's
// widest factor; the shadow blur reads at a quarter), which trilinear filtering takes from
// levels 2 and 3. Each further level costs the software renderer a flush when the mipmaps are
// made, every frame, and is never read: the chain stops at level 3.
inline constexpr GLint readMipmapLevels = 3;
void limitMipmaps(const GLutil::FBO& target);

// Binds the target for drawing, checks that it is complete, sets the viewport to its size
// and clears colour and depth.
void beginTarget(const GLutil::FBO& target);

// Binds the texture (or none) on the texture unit GL_TEXTURE0 + unit and leaves that unit active.
void bindTexture(int unit, const std::shared_ptr<GLutil::TextureHandle>& texture);

// While it lives, blending, face culling and the depth test are off (through the render
// state's cache), so a pass writes exactly what its shader computes whatever the scene left
// enabled, without depth work it does not need; all three return to their earlier state after.
class QuadStates {
public:
    QuadStates();
    ~QuadStates();
    QuadStates(const QuadStates&) = delete;
    QuadStates& operator=(const QuadStates&) = delete;

private:
    bool blend_;
    bool cullFace_;
    bool depthTest_;
};

// Draws texture1 ("tex1", unit 0) and texture2 ("tex2bw", unit 1) through the program, which
// the caller has in use, into the target; finishes the target (its mipmaps when it has them),
// unbinds both units and unuses the program. Returns the target's texture.
std::shared_ptr<GLutil::TextureHandle> composite(
    const char* operation, GLutil::ShaderProgram& program, const GLutil::DrawableVAO& quad,
    GLutil::FBO& target, const std::shared_ptr<GLutil::TextureHandle>& texture1,
    const std::shared_ptr<GLutil::TextureHandle>& texture2);

}  // namespace VX3D::pass
