#include "VAO/DrawableVAO.h"

#include "Shader/CheckPoint.h"
#include "Veltrix3D/RenderState.h"

#include <stdexcept>

namespace GLutil {

DrawableVAO::DrawableVAO() : vao_(std::make_shared<VAO>()) {}

template <typename T, typename... Usage>
void DrawableVAO::addBufferOf(GLint slot, const std::vector<T>& values, Usage... usage) {
    const auto count = static_cast<GLint>(values.size());
    if (vertexCount_ == 0) {
        vertexCount_ = count;
    } else if (count != vertexCount_) {
        throw std::logic_error("buffers of different element sizes added");
    }
    buffers_.erase(slot);
    vao_->bind();
    buffers_[slot] = VBO::connectToShader(static_cast<GLuint>(slot), values, usage...);
    VAO::unbind();
}

void DrawableVAO::addBuffer(GLint slot, const std::vector<glm::vec2>& values) {
    addBufferOf(slot, values);
}

void DrawableVAO::addBuffer(GLint slot, const std::vector<glm::vec3>& values) {
    addBufferOf(slot, values);
}

void DrawableVAO::addBuffer(GLint slot, const std::vector<glm::vec4>& values, GLenum usage) {
    addBufferOf(slot, values, usage);
}

template <typename T>
void DrawableVAO::setIndicesOf(const std::vector<T>& indices, GLenum type) {
    vao_->bind();
    indices_ = VBO::createIndexBuffer(indices);
    VAO::unbind();
    indexCount_ = static_cast<GLint>(indices.size());
    indexType_ = type;
}

void DrawableVAO::setIndices(const std::vector<std::uint8_t>& indices) {
    setIndicesOf(indices, GL_UNSIGNED_BYTE);
}

void DrawableVAO::setIndices(const std::vector<std::uint16_t>& indices) {
    setIndicesOf(indices, GL_UNSIGNED_SHORT);
}

void DrawableVAO::setIndices(const std::vector<std::uint32_t>& indices) {
    setIndicesOf(indices, GL_UNSIGNED_INT);
}

void DrawableVAO::drawWith(GLenum primitive) const {
    if (indices_) {
        glDrawElements(primitive, indexCount_, indexType_, nullptr);
    } else {
        glDrawArrays(primitive, 0, vertexCount_);
    }
}

void DrawableVAO::draw() const {
    if (!VX3D::RenderState::vertexArrayDebug) {
        vao_->bind();
        drawWith(mode);
        GLUTIL_CHECKPOINT("GLutil::DrawableVAO::draw");
        VAO::unbind();
        return;
    }
    // Drawing from bound buffers without our vertex array: the default vertex array's
    // own attribute pointers decide what appears. The index buffer is bound too, as
    // an offset of 0 with no element buffer would read client memory at address 0;
    // vertex array 0 is made current so that binding it changes no vertex array of ours.
    VAO::unbind();
    for (const auto& [slot, buffer] : buffers_) {
        buffer->bind();
    }
    if (indices_) {
        indices_->bind();
    }
    drawWith(mode);
    GLUTIL_CHECKPOINT("GLutil::DrawableVAO::draw");
    if (indices_) {
        indices_->unbind();
    }
    for (const auto& [slot, buffer] : buffers_) {
        buffer->unbind();
    }
}

void DrawableVAO::drawTriangles() const {
    if (VX3D::RenderState::vertexArrayDebug) {
        return;
    }
    vao_->bind();
    drawWith(GL_TRIANGLES);
    GLUTIL_CHECKPOINT("GLutil::DrawableVAO::drawTriangles");
    VAO::unbind();
}

}  // namespace GLutil
