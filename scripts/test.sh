#!/usr/bin/env bash
# Sets up what is missing, then builds and runs every test in three
# configurations: the sanitizer build (address + undefined) with the whole
# suite, the fuzz targets with short runs, and the optimised build with
# warnings as errors (the one the package and the benchmarks come from) with
# the whole suite again, the package checks and a packager's plain
# configuration among it; its CTest summary is printed last.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)

scripts/install-deps.sh

# A compiler cache, where there is one, makes a second run cheap; a clean
# machine builds without.
configure=()
if command -v ccache >/dev/null; then
  configure+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

phase() {
  echo "== $1"
  SECONDS=0
}
took() {
  echo "-- $1: ${SECONDS} s"
}

phase "Sanitizer build (address + undefined)"
cmake --preset sanitize "${configure[@]}" >/dev/null
cmake --build --preset sanitize -j "$jobs"
took "sanitizer build"
SECONDS=0
ctest --preset sanitize -j "$jobs"
took "sanitizer suite"

phase "Fuzz targets (short bounded runs)"
cmake --preset fuzz "${configure[@]}" >/dev/null
cmake --build --preset fuzz -j "$jobs"
took "fuzz build"
SECONDS=0
ctest --preset fuzz -j "$jobs"
took "fuzz runs"

phase "Optimised build: the full suite, the package, a packager's plain configuration"
cmake --preset default "${configure[@]}" >/dev/null
cmake --build --preset default -j "$jobs"
took "optimised build"
SECONDS=0
ctest --preset default -j "$jobs"
