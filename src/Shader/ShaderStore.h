#pragma once
// The process-wide store of compiled shaders, one per path text, so every program
// that names "Shader/basic.vert" shares one shader object.
#include "Shader/Shader.h"

#include <cstddef>
#include <memory>
#include <string>

namespace GLutil::ShaderStore {

// The stored shader for the path, or a new one built, stored and returned. A build
// failure (std::logic_error from Shader) leaves the store unchanged.
std::shared_ptr<Shader> getShader(const std::string& path);

// Prints "Purging ShaderStore knowledge of <n> shaders\n" and empties the store;
// shaders attached to live programs stay alive through them.
void purge();

// The number of stored paths.
std::size_t size();

}  // namespace GLutil::ShaderStore
