#pragma once
// The sky: a cube around the eye, textured from one image laid out as a horizontal
// cross of its six faces (4 columns × 3 rows). It turns with the camera but never moves,
// and is drawn first, without depth, behind everything else.
//
// The cross is cut into a cube map when it loads: the cross leaves half of its image empty
// and the sky reads only the full-size level, so the six faces alone are 6 MB of texture
// where the cross with its mipmaps was 17. Which cell of the cross shows on which side, and
// turned which way, is what the corners' uv coordinates below say; the cut follows them.
//
// Building needs a current OpenGL context and the game's working directory.
#include "Shader/ShaderProgram.h"
#include "Texture/Texture.h"
#include "VAO/DrawableVAO.h"

#include <glm/glm.hpp>

#include <array>
#include <memory>
#include <string>

namespace VX3D {

class Skybox {
public:
    struct Vertex {
        glm::vec3 position;
        glm::vec2 uv;  // v = 0 is the image's first row
    };
    // Six faces of four corners each, in the order z = +1, x = −1, z = −1, x = +1, y = +1, y = −1.
    static const std::array<Vertex, 24> vertices;

    // Raises std::logic_error naming the file when it cannot be read or is not 4 × 3 squares.
    explicit Skybox(const std::string& texturePath);
    Skybox(const Skybox&) = delete;
    Skybox& operator=(const Skybox&) = delete;

    void draw(const glm::mat4& view, const glm::mat4& projection);

    // projection × the view without its translation: the sky turns with the camera only.
    static glm::mat4 skyMatrix(const glm::mat4& view, const glm::mat4& projection);

private:
    GLutil::Texture texture_;
    GLutil::DrawableVAO cube_;
    std::shared_ptr<GLutil::ShaderProgram> program_;
};

}  // namespace VX3D
