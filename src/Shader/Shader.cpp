#include "Shader/Shader.h"

#include "Shader/CheckPoint.h"

#include <exception>
#include <iostream>
#include <sstream>
#include <stdexcept>

namespace GLutil {

std::string shaderExtension(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    const auto nameStart = slash == std::string::npos ? 0 : slash + 1;
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart) {
        return "";
    }
    return path.substr(dot);
}

GLenum shaderStageForPath(const std::string& path) {
    const std::string extension = shaderExtension(path);
    if (extension == ".vert") return GL_VERTEX_SHADER;
    if (extension == ".frag") return GL_FRAGMENT_SHADER;
    if (extension == ".geom") return GL_GEOMETRY_SHADER;
    if (extension == ".tesC") return GL_TESS_CONTROL_SHADER;
    if (extension == ".tesE") return GL_TESS_EVALUATION_SHADER;
    throw std::logic_error("Shader Extension " + extension + " not recognized");
}

namespace {

std::shared_ptr<boost::iostreams::mapped_file_source> mapSource(const std::string& path) {
    try {
        return std::make_shared<boost::iostreams::mapped_file_source>(path);
    } catch (const std::exception& e) {
        throw std::logic_error(std::string(e.what()) + " (" + path + ")");
    }
}

}  // namespace

Shader::Shader(const std::string& path)
    : path_(path), stage_(shaderStageForPath(path)), handle_(stage_), source_(mapSource(path)) {
    reload_impl();
}

void Shader::reload_impl() {
    const GLchar* text = source_->data();
    const GLint length = static_cast<GLint>(source_->size());
    glShaderSource(handle_.id(), 1, &text, &length);
    glCompileShader(handle_.id());
    GLint status = GL_FALSE;
    glGetShaderiv(handle_.id(), GL_COMPILE_STATUS, &status);
    if (status != GL_TRUE) {
        std::ostringstream log;
        printInfoLog(log);
        throw std::logic_error(log.str());
    }
    GLUTIL_CHECKPOINT("GLutil::Shader::reload_impl");
}

void Shader::reload() {
    std::shared_ptr<boost::iostreams::mapped_file_source> fresh;
    try {
        // A test build with a fresh mapping: a file that no longer compiles must not
        // touch the shader object the programs are linked from.
        Shader trial(path_);
        fresh = trial.source_;
    } catch (const std::logic_error& e) {
        std::cerr << "Reload of " << path_ << " failed because:\n"
                  << e.what() << "\nKeeping old shader\n";
        return;
    }
    std::cout << "Reloading Shader " << path_ << "\n";
    // Recompile from the fresh mapping: the one opened at construction would not show
    // a replaced file, nor anything beyond the old length of an edited one.
    source_ = std::move(fresh);
    reload_impl();
}

void Shader::printInfoLog(std::ostream& out) const {
    out << "Info Log of Shader " << path_ << ":\n";
    handle_.writeInfoLog(out);
    GLUTIL_CHECKPOINT("GLutil::Shader::printInfoLog");
}

}  // namespace GLutil
