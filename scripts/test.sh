#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and
# runs every test: unit, harness, integration, end-to-end (under Xvfb),
# the sanitizer builds and the fuzz targets. Benchmarks are run by hand (docs/benchmarks.md).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"
"$root/scripts/setup.sh" --test

export VARNOK_NO_DIALOGS=1
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"

section() { printf '\n==== %s ====\n' "$*"; }

# Counts every test that ran, for the closing line.
passed=0
run_ctest() {  # run_ctest DIR ARGS...: ctest in DIR, its count added to $passed
  local dir="$1"
  shift
  (cd "$dir" && ctest "$@") 2>&1 | tee "$dir/ctest-run.txt"
  local n
  n="$(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$dir/ctest-run.txt" | tail -n 1)"
  passed=$((passed + ${n:-0}))
}

# Test executables that run without a window, for the sanitizer builds.
unit_targets() {
  cmake --build "$1" --target help | sed -n 's/^\([A-Za-z0-9_]*_\(unit\|harness\)_tests\)[: ].*/\1/p' | sort -u
}

run_sanitized() {
  local kind="$1" dir="$root/build-$1"
  section "$kind sanitizer build"
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVARNOK_WERROR=ON \
        -DVARNOK_GENERATE_ASSETS=OFF -DVARNOK_SANITIZE="$kind" >/dev/null
  mapfile -t targets < <(unit_targets "$dir")
  cmake --build "$dir" -j"$jobs" --target "${targets[@]}" test_engine test_game_library
  for t in "${targets[@]}"; do
    echo "-- $t"
    "$dir/tests/$t" --gtest_brief=1 | tee "$dir/last-run.txt"
    n="$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$dir/last-run.txt" | tail -n 1)"
    passed=$((passed + ${n:-0}))
  done
}

section "build"
VARNOK_BUILD_DIR="$root/build" "$root/scripts/build.sh" -DVARNOK_WERROR=ON -DVARNOK_TESTS=ON

section "tests"
run_ctest "$root/build" --output-on-failure -j"$jobs" --timeout 600

ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_sanitized address
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" run_sanitized thread

section "fuzz targets"
fuzz="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVARNOK_FUZZ=ON -DVARNOK_GENERATE_ASSETS=OFF >/dev/null
cmake --build "$fuzz" -j"$jobs"
run_ctest "$fuzz" --output-on-failure --timeout 300

section "all tests passed"
echo "$passed passed, 0 failed"
