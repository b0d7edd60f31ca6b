#pragma once
// What every owner of one graphics object name does around creating and deleting it.
//
// After creating the name, the owner's constructor runs its checkpoint; a pending error
// raises, and the fresh name is deleted first, because the destructor does not run for a
// half-built object. The destructor deletes the name and runs its checkpoint, but prints a
// pending error as "Caught exception in <Owner> Destructor: <location> (<errors>)" instead of
// throwing, so that unwinding never ends the program.
#include "Shader/CheckPoint.h"

#include <iostream>
#include <stdexcept>

namespace GLutil {

// Where a checkpoint stands: GLUTIL_SITE("GLutil::VBOHandle::VBOHandle").
struct CheckSite {
    const char* file;
    const char* function;
    int line;
};

template <typename Release>
void guardCreation(const CheckSite& site, Release release) {
    try {
        checkpoint(site.file, site.function, site.line);
    } catch (...) {
        release();
        throw;
    }
}

template <typename Release>
void guardRelease(const CheckSite& site, const char* owner, Release release) noexcept {
    try {
        release();
        checkpoint(site.file, site.function, site.line);
    } catch (const std::logic_error& e) {
        std::cerr << "Caught exception in " << owner << " Destructor: " << e.what() << "\n";
    }
}

}  // namespace GLutil

#define GLUTIL_SITE(function) (::GLutil::CheckSite{__FILE__, function, __LINE__})
