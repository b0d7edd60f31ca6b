#pragma once
// One compiled shader stage built from a source file. The stage comes from the file
// extension (".vert", ".frag", ".geom", ".tesC", ".tesE", case-sensitive). The source
// stays memory-mapped for the shader's life. Share shaders through ShaderStore.
//
//   Shader(path)        maps and compiles; throws std::logic_error on an unknown
//                       extension, an unreadable file ("<why> (<path>)") or a compile
//                       failure (the info-log text).
//   reload()            recompiles from a fresh read of the file into the same shader
//                       object; on failure prints why on stderr and keeps the old one.
//   reload_impl()       compiles the current mapping into the shader object.
//   printInfoLog(out)   writes "Info Log of Shader <path>:\n" and the compile log.
#include "Shader/ShaderHandle.h"

#include <GL/glew.h>

#include <boost/iostreams/device/mapped_file.hpp>

#include <iosfwd>
#include <memory>
#include <string>

namespace GLutil {

// The extension of the last path component from its last "." on ("" when none).
std::string shaderExtension(const std::string& path);

// The stage for a path's extension; throws std::logic_error
// "Shader Extension <ext> not recognized" for any other.
GLenum shaderStageForPath(const std::string& path);

class Shader {
public:
    explicit Shader(const std::string& path);
    Shader(const Shader&) = delete;
    Shader& operator=(const Shader&) = delete;

    void reload_impl();
    void reload();
    void printInfoLog(std::ostream& out) const;

    const std::string& path() const { return path_; }
    GLenum stage() const { return stage_; }
    GLuint id() const { return handle_.id(); }

private:
    std::string path_;
    GLenum stage_;
    ShaderHandle handle_;
    std::shared_ptr<boost::iostreams::mapped_file_source> source_;
};

}  // namespace GLutil
