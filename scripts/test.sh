#!/usr/bin/env bash
# Sets up what is missing, then builds and runs every test: the sanitizer build
# (address + undefined), short fuzz runs, a packager's plain Release build, and
# the full suite of the normal build, whose CTest summary is printed last.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)

scripts/install-deps.sh

echo "== Sanitizer build (address + undefined)"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$jobs"
ctest --preset sanitize -j "$jobs"

echo "== Fuzz targets (short bounded runs)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
ctest --preset fuzz -j "$jobs"

# Built the way a distribution builds it: no preset, optimised, warnings shown
# but not fatal, so a compiler's false positive at -O3 cannot break a package.
echo "== Release build (plain CMAKE_BUILD_TYPE=Release, as packagers build)"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$jobs"

echo "== Full test suite"
cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs"
ctest --preset default -j "$jobs"
