#!/usr/bin/env bash
# Sets up what is missing, then builds and runs every test in four
# configurations: the sanitizer build (address + undefined) with the whole
# suite, the fuzz targets with short runs, the thread sanitizer with the tests
# of runs that drive several programmers on threads of their own (only the
# targets those need are built), and the optimised build with warnings as
# errors (the one the package and the benchmarks come from), which runs what
# the sanitizer suite cannot: the package checks, a packager's plain
# configuration, the format and length checks and the three stations on one
# database (too slow under the sanitizers); its CTest summary is printed last.
#
# The suites spend most of their time waiting on pseudo-terminals and
# timers, so the fuzz targets and the optimised build are built beside the
# sanitizer suite, and the fuzz targets run beside the optimised one, at the
# lowest priority, so that the tests' timers keep the time they would have
# alone; each suite runs one test more than there are cores. The fuzz build
# compiles only the libraries its targets read with.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)
tests=$((jobs + 1))
# A test that fails is run once more before the suite fails: on a machine
# shared with others the window's tests and the signal tests, which wait on
# timers of a few hundred milliseconds, have missed them. A fault that is
# there fails both times; the first failure stays in the output.
again=(--repeat until-pass:2)

scripts/install-deps.sh

# A compiler cache, where there is one, makes a developer's second run
# cheap. CI starts with an empty cache, where it would only add its own work
# to every compile.
configure=()
if [ -z "${CI:-}" ] && command -v ccache >/dev/null; then
  configure+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  # The precompiled headers are ccache's to reuse only when it may overlook
  # what a header's time stamps and __DATE__ say.
  export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
fi

logs=$(mktemp -d "${TMPDIR:-/tmp}/korvex-test.XXXXXX")
background=""
cleanup() {
  if [ -n "$background" ]; then
    kill -- "-$background" 2>/dev/null || true
  fi
  rm -rf "$logs"
}
trap cleanup EXIT

# Seconds of processor time the finished children of this script took, in
# $cpu, so that each phase says what it cost besides how long it took on a
# machine that others may be using too. (times must run in this shell.)
count_cpu() {
  times >"$logs/times"
  cpu=$(awk 'END { split($1, u, "m"); split($2, s, "m"); printf "%d", u[1] * 60 + u[2] + s[1] * 60 + s[2] }' \
    "$logs/times")
}
start=$SECONDS
mark=$SECONDS
count_cpu
mark_cpu=$cpu
took() {
  count_cpu
  echo "-- $1: $((SECONDS - mark)) s, $((cpu - mark_cpu)) s of processor time"
  mark=$SECONDS
  mark_cpu=$cpu
}
# Runs "$@" beside the next step, in a process group of its own so that a
# failure of the step ends it whole; its output is kept for later.
beside() {
  local log=$1
  shift
  setsid nice -n 19 "$@" >"$logs/$log" 2>&1 &
  background=$!
}
# Waits for what runs beside; fails as it failed.
joined() {
  local status=0
  wait "$background" || status=$?
  background=""
  return "$status"
}

echo "== Sanitizer build (address + undefined)"
cmake --preset sanitize "${configure[@]}" >/dev/null
cmake --build --preset sanitize -j "$jobs"
took "sanitizer build"

# The optimised build makes what its own tests and the package need, and the
# benchmarks; the package is made of what is built (not of everything).
optimised_targets=(korvex korvex-cli korvex-sim korvex_data korvex_changelog korvex_man
  test_e2e_stations bench_images bench_link bench_auto bench_window bench_production bench_soak
  bench_line_outages)

echo "== Sanitizer suite, the fuzz targets, the optimised and the thread-sanitizer builds beside it"
beside builds.log bash -c 'cmake --preset fuzz "$@" >/dev/null &&
  cmake --build --preset fuzz -j '"$jobs"' &&
  cmake --preset default "$@" -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null &&
  cmake --build --preset default -j '"$jobs"' --target '"${optimised_targets[*]}"' &&
  cmake --preset tsan "$@" >/dev/null &&
  cmake --build --preset tsan -j '"$jobs" _ "${configure[@]}"
ctest --preset sanitize -j "$tests" "${again[@]}"
took "sanitizer suite"
echo "== Fuzz targets and optimised build, finishing after the suite"
if ! joined; then
  cat "$logs/builds.log"
  exit 1
fi
tail -n 1 "$logs/builds.log"
took "fuzz, optimised and thread-sanitizer builds, after the suite"

echo "== Fuzz runs (short, bounded), the thread-sanitizer tests (a data race fails them) and the optimised build's own tests: the package, a packager's plain configuration, the three stations"
beside fuzz-runs.log bash -c 'ctest --preset fuzz -j '"$jobs"' &&
  ctest --preset tsan'
status=0
# Every other test has just passed in the sanitizer build, from the same
# sources; the database fixture comes with the tests that need it.
optimised_only='^(clang_format|long_functions|desktop_.*|package_.*|CliStations\..*)$'
ctest --preset default -j "$tests" "${again[@]}" -R "$optimised_only" >"$logs/suite.log" 2>&1 ||
  status=$?
joined || status=$?
cat "$logs/fuzz-runs.log"
took "fuzz runs, thread-sanitizer tests and optimised suite"
echo "-- all: $((SECONDS - start)) s"
cat "$logs/suite.log"
exit "$status"
