#!/usr/bin/env bash
# A packager's plain build (Release, BUILD_TESTING=OFF) configures without
# looking for GoogleTest or Qt Test. Configured only: the suite runs in the
# optimised build of the same sources.
#
#   check_plain_configure.sh CMAKE SOURCE_DIR WORK_DIR
set -euo pipefail
cmake=$1
source=$2
work=$3

rm -rf "$work"
if ! "$cmake" -S "$source" -B "$work" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  >"$work.log" 2>&1; then
  cat "$work.log" >&2
  echo "FAIL: the plain Release build with BUILD_TESTING=OFF does not configure" >&2
  exit 1
fi
if looked=$(grep -E '^(GTest_DIR|GTEST_[A-Z_]*|GMOCK_[A-Z_]*|Qt6Test_DIR)[:=]' "$work/CMakeCache.txt"); then
  echo "FAIL: the plain build looks for the tests' dependencies:" >&2
  echo "$looked" >&2
  exit 1
fi
rm -rf "$work" "$work.log"
echo "The plain Release build configures without the tests and their dependencies."
