#pragma once
// A mesh ready to draw: a vertex array with one attribute buffer per slot and an
// optional index buffer. Fill it once (attribute buffers, then indices), set `mode`
// to the primitive type, draw it every frame.
//
//   addBuffer(slot, values)  attaches the values to the slot, replacing an earlier
//                            buffer of that slot. Every buffer must hold as many
//                            elements as the first: otherwise std::logic_error
//                            "buffers of different element sizes added" and nothing
//                            changes.
//   setIndices(indices)      8-, 16- or 32-bit indices, replacing earlier ones.
//   draw()                   indexCount indices when there are indices, else
//                            vertexCount vertices, with `mode`.
//   drawTriangles()          the same as GL_TRIANGLES whatever `mode` says; draws
//                            nothing while RenderState::vertexArrayDebug is on.
#include "VAO/VAO.h"
#include "VAO/VBO.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace GLutil {

class DrawableVAO {
public:
    DrawableVAO();
    DrawableVAO(const DrawableVAO&) = delete;
    DrawableVAO& operator=(const DrawableVAO&) = delete;

    void addBuffer(GLint slot, const std::vector<glm::vec2>& values);
    void addBuffer(GLint slot, const std::vector<glm::vec3>& values);
    void addBuffer(GLint slot, const std::vector<glm::vec4>& values, GLenum usage = GL_STATIC_DRAW);

    void setIndices(const std::vector<std::uint8_t>& indices);
    void setIndices(const std::vector<std::uint16_t>& indices);
    void setIndices(const std::vector<std::uint32_t>& indices);

    void draw() const;
    void drawTriangles() const;

    const std::shared_ptr<VAO>& vao() const { return vao_; }
    GLint vertexCount() const { return vertexCount_; }
    GLint indexCount() const { return indexCount_; }
    GLenum indexType() const { return indexType_; }
    const std::map<GLint, std::shared_ptr<VBO>>& buffers() const { return buffers_; }
    const std::shared_ptr<VBO>& indices() const { return indices_; }

    // The primitive type for draw(); owners set it directly (GL_PATCHES, GL_LINES ...).
    GLenum mode = GL_QUADS;

private:
    template <typename T, typename... Usage>
    void addBufferOf(GLint slot, const std::vector<T>& values, Usage... usage);
    template <typename T>
    void setIndicesOf(const std::vector<T>& indices, GLenum type);
    void drawWith(GLenum primitive) const;

    std::shared_ptr<VAO> vao_;
    GLint vertexCount_ = 0;
    GLint indexCount_ = 0;
    GLenum indexType_ = 0;
    std::map<GLint, std::shared_ptr<VBO>> buffers_;
    std::shared_ptr<VBO> indices_;
};

}  // namespace GLutil
