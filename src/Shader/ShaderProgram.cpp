#include "Shader/ShaderProgram.h"

#include "Shader/CheckPoint.h"
#include "Shader/ProgramRegistry.h"
#include "Shader/ShaderStore.h"

#include <algorithm>
#include <iostream>
#include <set>
#include <sstream>
#include <stdexcept>

namespace GLutil {

namespace {

const char* const kBanner = "--------------------------------------------------";

}  // namespace

ShaderProgram::ShaderProgram(const std::string& name) : name_(name) {
    // handle_ has created the program object and run its checkpoint by now.
    ProgramRegistry::add(this);
    std::cout << kBanner << "INIT SHADER PROG " << name_ << "\n";
}

ShaderProgram::~ShaderProgram() {
    ProgramRegistry::remove(this);
    std::cout << kBanner << "DELETE SHADER PROG " << name_ << "\n";
    // The program object goes with handle_, whose destructor runs the checkpoint and
    // reports rather than throws.
}

std::shared_ptr<ShaderProgram> ShaderProgram::build(
    const std::string& name, const std::vector<std::string>& files,
    const std::vector<std::pair<GLuint, std::string>>& attributes) {
    auto program = std::make_shared<ShaderProgram>(name);
    for (const auto& file : files) program->attatch(ShaderStore::getShader(file));
    for (const auto& [slot, attribute] : attributes)
        program->bindAttributeLocation(slot, attribute);
    program->link();
    return program;
}

void ShaderProgram::attatch(const std::shared_ptr<Shader>& shader) {
    if (!shader) {
        throw std::logic_error("attatch of an empty shader to ShaderProgram " + name_);
    }
    glAttachShader(handle_.id(), shader->id());
    GLUTIL_CHECKPOINT("GLutil::ShaderProgram::attatch");
    shaders_.push_back(shader);
}

void ShaderProgram::bindAttributeLocation(GLuint slot, const std::string& attribute) {
    glBindAttribLocation(handle_.id(), slot, attribute.c_str());
    GLUTIL_CHECKPOINT("GLutil::ShaderProgram::bindAttributeLocation");
}

void ShaderProgram::link() {
    glLinkProgram(handle_.id());
    requireStatus(GL_LINK_STATUS);
    GLUTIL_CHECKPOINT("GLutil::ShaderProgram::link");
    restoreConstants();
}

void ShaderProgram::requireStatus(GLenum status) const {
    GLint value = GL_FALSE;
    glGetProgramiv(handle_.id(), status, &value);
    if (value != GL_TRUE) {
        std::ostringstream log;
        printInfoLog(log);
        throw std::logic_error(log.str());
    }
}

void ShaderProgram::restoreConstants() {
    if (constants_.empty()) {
        return;
    }
    // A link resets every uniform to 0. Whatever program the caller had current stays so.
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    glUseProgram(handle_.id());
    for (const auto& [uniform, value] : constants_) {
        // A reloaded source may have dropped the uniform; GL ignores location -1.
        glUniform1i(glGetUniformLocation(handle_.id(), uniform.c_str()), value);
    }
    glUseProgram(static_cast<GLuint>(current));
    GLUTIL_CHECKPOINT("GLutil::ShaderProgram::restoreConstants");
}

void ShaderProgram::validate() {
    glValidateProgram(handle_.id());
    requireStatus(GL_VALIDATE_STATUS);
    GLUTIL_CHECKPOINT("GLutil::ShaderProgram::validate");
}

void ShaderProgram::use() {
    GLUTIL_CHECKPOINT("GLutil::ShaderProgram::use");
    glUseProgram(handle_.id());
    GLUTIL_CHECKPOINT("GLutil::ShaderProgram::use");
}

void ShaderProgram::unuse() {
    glUseProgram(0);
    GLUTIL_CHECKPOINT("GLutil::ShaderProgram::unuse");
}

void ShaderProgram::printInfoLog(std::ostream& out) const {
    out << "Info Log of " << name_ << "\n";
    handle_.writeInfoLog(out);
    GLUTIL_CHECKPOINT("GLutil::ShaderProgram::printInfoLog");
}

GLint ShaderProgram::uniformLocation(const std::string& uniform) const {
    const GLint location = glGetUniformLocation(handle_.id(), uniform.c_str());
    if (location == -1) {
        throw std::logic_error("Shader Uniform " + uniform + " is UNKNOWN");
    }
    GLUTIL_CHECKPOINT("GLutil::ShaderProgram::uniformLocation");
    return location;
}

void ShaderProgram::setConstant(const std::string& uniform, GLint value) {
    const GLint location = uniformLocation(uniform);
    use();
    glUniform1i(location, value);
    GLUTIL_CHECKPOINT("GLutil::ShaderProgram::setConstant");
    const auto known =
        std::find_if(constants_.begin(), constants_.end(),
                     [&uniform](const auto& constant) { return constant.first == uniform; });
    if (known != constants_.end()) {
        known->second = value;
    } else {
        constants_.emplace_back(uniform, value);
    }
}

namespace ProgramRegistry {

namespace {

std::set<ShaderProgram*>& programs() {
    static std::set<ShaderProgram*> registry;
    return registry;
}

}  // namespace

void add(ShaderProgram* program) {
    programs().insert(program);
}

void remove(ShaderProgram* program) {
    programs().erase(program);
}

std::size_t count() {
    return programs().size();
}

void reloadAll() {
    // A copy, so a program created or destroyed by a caller's handler cannot
    // invalidate the walk.
    const std::set<ShaderProgram*> snapshot = programs();
    for (ShaderProgram* program : snapshot) {
        std::cout << "Reloading ShaderProgram " << program->name() << "\n";
        for (const auto& shader : program->shaders()) {
            shader->reload();
        }
        program->link();
    }
}

void printAll() {
    for (ShaderProgram* program : programs()) {
        std::cout << "used shader name:\n";
        program->printInfoLog(std::cout);
    }
}

}  // namespace ProgramRegistry

}  // namespace GLutil
