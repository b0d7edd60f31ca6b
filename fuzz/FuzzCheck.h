#pragma once
// What every harness uses to say that a property broke: the message and an abort, which
// libFuzzer reports as a crash and saves the input for.
#include <cstdio>
#include <cstdlib>
#include <string>

namespace VXFuzz {

[[noreturn]] inline void broken(const std::string& what) {
    std::fprintf(stderr, "property broken: %s\n", what.c_str());
    std::abort();
}

inline void require(bool holds, const std::string& what) {
    if (!holds) broken(what);
}

}  // namespace VXFuzz
