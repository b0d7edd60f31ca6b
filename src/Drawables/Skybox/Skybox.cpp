#include "Drawables/Skybox/Skybox.h"

#include "Shader/CheckPoint.h"
#include "Shader/ShaderStore.h"
#include "Veltrix3D/RenderState.h"

#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <vector>

namespace VX3D {

namespace {
constexpr float third = 1.0f / 3.0f;
constexpr float twoThirds = 2.0f / 3.0f;

// The direction through the centre of texel (i, j) of a cube map face, in OpenGL's face order
// and orientation (s across, t down the rows as uploaded).
glm::dvec3 faceDirection(int face, std::uint32_t i, std::uint32_t j, std::uint32_t side) {
    const double sc = 2.0 * (i + 0.5) / side - 1.0;
    const double tc = 2.0 * (j + 0.5) / side - 1.0;
    switch (face) {
        case 0:
            return {1.0, -tc, -sc};
        case 1:
            return {-1.0, -tc, sc};
        case 2:
            return {sc, 1.0, tc};
        case 3:
            return {sc, -1.0, -tc};
        case 4:
            return {sc, -tc, 1.0};
        default:
            return {-sc, -tc, -1.0};
    }
}

// Where on the cross a point of the cube's surface was shown: the uv the corners of its quad
// give it (each quad is a square with a rectangle of the image, so this is exact).
glm::dvec2 crossUV(const glm::dvec3& p) {
    const glm::dvec3 a = glm::abs(p);
    const int axis = a.x >= a.y && a.x >= a.z ? 0 : (a.y >= a.z ? 1 : 2);
    for (std::size_t q = 0; q < Skybox::vertices.size(); q += 4) {
        const auto& v = Skybox::vertices;
        const auto onSide = [&](std::size_t k) { return double(v[k].position[axis]) == p[axis]; };
        if (!(onSide(q) && onSide(q + 1) && onSide(q + 2) && onSide(q + 3))) continue;
        const glm::dvec3 c0 = v[q].position, c1 = v[q + 1].position, c3 = v[q + 3].position;
        const double s = glm::dot(p - c0, c1 - c0) / glm::dot(c1 - c0, c1 - c0);
        const double t = glm::dot(p - c0, c3 - c0) / glm::dot(c3 - c0, c3 - c0);
        const glm::dvec2 uv0 = v[q].uv, uv1 = v[q + 1].uv, uv3 = v[q + 3].uv;
        return uv0 + s * (uv1 - uv0) + t * (uv3 - uv0);
    }
    return {0.0, 0.0};  // unreachable: every face has its quad
}

GLutil::Texture cubeFromCross(const std::string& path) {
    const GLutil::PngImage cross = GLutil::readPng(path);
    GLutil::printImageInformation(path, cross);
    const std::uint32_t side = cross.width / 4;
    if (side == 0 || cross.width != 4 * side || cross.height != 3 * side)
        throw std::logic_error("the sky image " + path + " must be 4 x 3 square faces, not " +
                               std::to_string(cross.width) + " x " + std::to_string(cross.height) +
                               " pixels");
    std::array<std::vector<unsigned char>, 6> faces;
    for (int f = 0; f < 6; ++f) {
        faces[f].resize(std::size_t(side) * side * 4);
        for (std::uint32_t j = 0; j < side; ++j)
            for (std::uint32_t i = 0; i < side; ++i) {
                const glm::dvec2 uv = crossUV(faceDirection(f, i, j, side));
                // Texel centres land on texel centres: the nearest texel is the exact one.
                const auto x =
                    std::min<std::uint32_t>(cross.width - 1, std::uint32_t(uv.x * cross.width));
                const auto y =
                    std::min<std::uint32_t>(cross.height - 1, std::uint32_t(uv.y * cross.height));
                std::copy_n(&cross.pixels[(std::size_t(y) * cross.width + x) * 4], 4,
                            &faces[f][(std::size_t(j) * side + i) * 4]);
            }
    }
    return GLutil::Texture::cubeMap(path, 0, side, faces);
}

}  // namespace

const std::array<Skybox::Vertex, 24> Skybox::vertices = {{
    // z = +1
    {{-1, 1, 1}, {0.25f, third}},
    {{1, 1, 1}, {0.5f, third}},
    {{1, -1, 1}, {0.5f, twoThirds}},
    {{-1, -1, 1}, {0.25f, twoThirds}},
    // x = −1
    {{-1, 1, -1}, {0.0f, third}},
    {{-1, 1, 1}, {0.25f, third}},
    {{-1, -1, 1}, {0.25f, twoThirds}},
    {{-1, -1, -1}, {0.0f, twoThirds}},
    // z = −1
    {{1, 1, -1}, {0.75f, third}},
    {{-1, 1, -1}, {1.0f, third}},
    {{-1, -1, -1}, {1.0f, twoThirds}},
    {{1, -1, -1}, {0.75f, twoThirds}},
    // x = +1
    {{1, 1, 1}, {0.5f, third}},
    {{1, 1, -1}, {0.75f, third}},
    {{1, -1, -1}, {0.75f, twoThirds}},
    {{1, -1, 1}, {0.5f, twoThirds}},
    // y = +1
    {{-1, 1, 1}, {0.25f, third}},
    {{-1, 1, -1}, {0.25f, 0.0f}},
    {{1, 1, -1}, {0.5f, 0.0f}},
    {{1, 1, 1}, {0.5f, third}},
    // y = −1
    {{-1, -1, -1}, {0.25f, 1.0f}},
    {{-1, -1, 1}, {0.25f, twoThirds}},
    {{1, -1, 1}, {0.5f, twoThirds}},
    {{1, -1, -1}, {0.5f, 1.0f}},
}};

Skybox::Skybox(const std::string& texturePath) : texture_(cubeFromCross(texturePath)) {
    std::vector<glm::vec3> positions;
    for (const Vertex& v : vertices) positions.push_back(v.position);
    cube_.mode = GL_QUADS;
    cube_.addBuffer(0, positions);

    program_ = std::make_shared<GLutil::ShaderProgram>("SkyboxShader");
    program_->attatch(GLutil::ShaderStore::getShader("Shader/Skybox.vert"));
    program_->attatch(GLutil::ShaderStore::getShader("Shader/Skybox.frag"));
    program_->bindAttributeLocation(0, "vertex");
    program_->link();
    program_->validate();
    program_->use();
    GLutil::ShaderProgram::unuse();
    GLUTIL_CHECKPOINT("VX3D::Skybox::Skybox");
}

glm::mat4 Skybox::skyMatrix(const glm::mat4& view, const glm::mat4& projection) {
    glm::mat4 rotationOnly = view;
    rotationOnly[3] = glm::vec4(0.0f, 0.0f, 0.0f, view[3][3]);
    return projection * rotationOnly;
}

void Skybox::draw(const glm::mat4& view, const glm::mat4& projection) {
    program_->use();
    RenderState::setCullFace(false);
    RenderState::setDepthTest(false);
    // The sky is opaque: blending its three outputs would only cost time.
    const bool blending = RenderState::blendEnabled;
    RenderState::setBlend(false);
    texture_.bind();
    glUniform1i(program_->uniformLocation("cubemap"), 0);
    glUniformMatrix4fv(program_->uniformLocation("mvpMatrix"), 1, GL_FALSE,
                       glm::value_ptr(skyMatrix(view, projection)));
    cube_.draw();
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(texture_.unit()));
    glBindTexture(texture_.target(), 0);
    RenderState::setBlend(blending);
    RenderState::setDepthTest(true);
    RenderState::setCullFace(true);
    GLutil::ShaderProgram::unuse();
    GLUTIL_CHECKPOINT("VX3D::Skybox::draw");
}

}  // namespace VX3D
