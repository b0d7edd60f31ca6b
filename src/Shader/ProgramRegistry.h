#pragma once
// The process-wide set of live ShaderPrograms, ordered by address. Programs enter it
// in their constructor and leave it in their destructor.
#include <cstddef>

namespace GLutil {

class ShaderProgram;

namespace ProgramRegistry {

// For each program: "Reloading ShaderProgram <name>\n", reload its shaders in
// attachment order (a failing one is kept as it was), then link again. A failing
// link throws its std::logic_error to the caller.
void reloadAll();

// For each program: "used shader name:\n" and its info log, on standard output.
void printAll();

// The number of live programs.
std::size_t count();

// Used by ShaderProgram itself.
void add(ShaderProgram* program);
void remove(ShaderProgram* program);

}  // namespace ProgramRegistry
}  // namespace GLutil
