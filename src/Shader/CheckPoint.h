#pragma once
// The error checkpoint every GLutil operation runs after its graphics calls.
//
// GLUTIL_CHECKPOINT("GLutil::Shader::reload_impl") drains the graphics error queue;
// if any error was pending it raises std::logic_error whose message is the location
// text "File <source> in Function <operation> at Line <line>", followed by the names
// of the errors found, e.g. " (GL_INVALID_OPERATION)".
// Handle destructors catch that error and print it, so no exception leaves them.
#include <GL/glew.h>

#include <string>

namespace GLutil {

// "File " + file + " in Function " + function + " at Line " + line. The file is shown
// relative to the source tree ("src/Shader/Shader.cpp") when it lies inside one.
std::string locationText(const char* file, const char* function, int line);

// Name of a graphics error code ("GL_INVALID_ENUM", ...), or its number in hex when unknown.
std::string errorName(GLenum error);

// Throws std::logic_error(locationText(...) + " (" + error names + ")") when glGetError
// reports anything; otherwise returns quietly. Needs a current context.
void checkpoint(const char* file, const char* function, int line);

}  // namespace GLutil

#define GLUTIL_CHECKPOINT(function) ::GLutil::checkpoint(__FILE__, function, __LINE__)
