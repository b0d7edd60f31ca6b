#include "VAO/VBO.h"

#include "Shader/CheckPoint.h"
#include "Shader/HandleGuard.h"

namespace GLutil {

VBOHandle::VBOHandle() {
    glGenBuffers(1, &id_);
    guardCreation(GLUTIL_SITE("GLutil::VBOHandle::VBOHandle"),
                  [this] { glDeleteBuffers(1, &id_); });
}

VBOHandle::~VBOHandle() {
    guardRelease(GLUTIL_SITE("GLutil::VBOHandle::~VBOHandle"), "VBOHandle",
                 [this] { glDeleteBuffers(1, &id_); });
}

VBO::VBO(GLenum target) : target_(target) {}

void VBO::bind() const {
    glBindBuffer(target_, handle_.id());
    GLUTIL_CHECKPOINT("GLutil::VBO::bind");
}

void VBO::unbind() const {
    glBindBuffer(target_, 0);
    GLUTIL_CHECKPOINT("GLutil::VBO::unbind");
}

void VBO::initBuffer(GLsizeiptr size, const void* data, GLenum usage) {
    bind();
    glBufferData(target_, size, data, usage);
    GLUTIL_CHECKPOINT("GLutil::VBO::initBuffer");
}

namespace {

template <typename T>
std::shared_ptr<VBO> attributeBuffer(GLuint slot, const std::vector<T>& values, GLint components,
                                     GLenum type, GLenum usage) {
    auto buffer = std::make_shared<VBO>(GL_ARRAY_BUFFER);
    buffer->initBuffer(static_cast<GLsizeiptr>(values.size() * sizeof(T)), values.data(), usage);
    glVertexAttribPointer(slot, components, type, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(slot);
    GLUTIL_CHECKPOINT("GLutil::VBO::connectToShader");
    return buffer;
}

template <typename T>
std::shared_ptr<VBO> elementBuffer(const std::vector<T>& indices) {
    auto buffer = std::make_shared<VBO>(GL_ELEMENT_ARRAY_BUFFER);
    buffer->initBuffer(static_cast<GLsizeiptr>(indices.size() * sizeof(T)), indices.data(),
                       GL_STATIC_DRAW);
    return buffer;
}

}  // namespace

std::shared_ptr<VBO> VBO::connectToShader(GLuint slot, const std::vector<glm::vec2>& values) {
    return attributeBuffer(slot, values, 2, GL_FLOAT, GL_STATIC_DRAW);
}

std::shared_ptr<VBO> VBO::connectToShader(GLuint slot, const std::vector<glm::vec3>& values) {
    return attributeBuffer(slot, values, 3, GL_FLOAT, GL_STATIC_DRAW);
}

std::shared_ptr<VBO> VBO::connectToShader(GLuint slot, const std::vector<glm::vec4>& values,
                                          GLenum usage) {
    return attributeBuffer(slot, values, 4, GL_FLOAT, usage);
}

std::shared_ptr<VBO> VBO::connectToShader(GLuint slot, const std::vector<std::uint32_t>& values) {
    return attributeBuffer(slot, values, 1, GL_UNSIGNED_INT, GL_DYNAMIC_COPY);
}

std::shared_ptr<VBO> VBO::createIndexBuffer(const std::vector<std::uint8_t>& indices) {
    return elementBuffer(indices);
}

std::shared_ptr<VBO> VBO::createIndexBuffer(const std::vector<std::uint16_t>& indices) {
    return elementBuffer(indices);
}

std::shared_ptr<VBO> VBO::createIndexBuffer(const std::vector<std::uint32_t>& indices) {
    return elementBuffer(indices);
}

}  // namespace GLutil
