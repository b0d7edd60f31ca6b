#pragma once
// The process-wide store of compiled shaders, one per path text, so every program
// that names "Shader/basic.vert" shares one shader object; and of linked programs, one per
// name, so that every drawable of a kind (each bounding box, portal, floor, energy bar) draws
// with one program instead of a linked copy of its own (each copy costs llvmpipe about half a
// megabyte of compiled code).
#include "Shader/Shader.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace GLutil {
class ShaderProgram;
}

namespace GLutil::ShaderStore {

// The stored shader for the path, or a new one built, stored and returned. A build
// failure (std::logic_error from Shader) leaves the store unchanged.
std::shared_ptr<Shader> getShader(const std::string& path);

// The live program of that name, or the one make builds, remembered for later callers. The
// store does not own it: the last drawable that holds it deletes it, and the next caller
// builds it again. Whatever make raises reaches the caller and nothing is remembered.
std::shared_ptr<ShaderProgram> sharedProgram(
    const std::string& name, const std::function<std::shared_ptr<ShaderProgram>()>& make);

// Prints "Purging ShaderStore knowledge of <n> shaders\n" and empties the store;
// shaders attached to live programs stay alive through them.
void purge();

// The number of stored paths.
std::size_t size();

}  // namespace GLutil::ShaderStore
