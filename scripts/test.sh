#!/usr/bin/env bash
# Installs what is missing, checks the code format, builds everything and runs every
# test: once in a normal build, once under AddressSanitizer and UndefinedBehaviorSanitizer; then a short fuzzing
# run of every reader of a file a user can edit.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
jobs=$(nproc)

# One code format (.clang-format): unformatted C++ fails the run before anything is built.
# To format: clang-format -i $(git ls-files '*.cpp' '*.h')
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

# Leak checking covers every test that needs no display. Processes that draw
# through Mesa's llvmpipe end with a small leak inside the unloaded driver that
# no suppression can name, so the display tests run with leak checking off
# (addresses and undefined behaviour are still checked there).
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVX_SANITIZE=ON -DVX_BUILD_BENCHMARKS=OFF
cmake --build build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure -j"$jobs" -LE gl
ASAN_OPTIONS=detect_leaks=0:abort_on_error=0 ctest --test-dir build-asan --output-on-failure -j"$jobs" -L gl

# Every reader of a file a user can edit or replace, under libFuzzer with the sanitizers:
# its committed corpus (fuzz/corpus/, which holds the inputs of every fault found so far)
# and then VX_FUZZ_SECONDS (default 20) of new inputs each. Clang builds it in a build
# directory of its own.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVX_FUZZ=ON \
  -DVX_BUILD_TESTS=OFF -DVX_BUILD_BENCHMARKS=OFF
cmake --build build-fuzz -j"$jobs" --target fuzzers
fuzz/run.sh build-fuzz "${VX_FUZZ_SECONDS:-20}"
