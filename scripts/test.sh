#!/usr/bin/env bash
# Builds Rebondo and runs the whole test suite.
#   scripts/test.sh          Debug build in build/, everything (plug-ins, tools, tests)
#   scripts/test.sh tsan     the tests under ThreadSanitizer, in build-tsan/
#   scripts/test.sh asan     the tests under AddressSanitizer + UBSan, in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."

mode="${1:-debug}"
jobs="$(nproc)"

./scripts/setup.sh

case "$mode" in
  debug) dir=build;      flags=();                      targets=(all) ;;
  tsan)  dir=build-tsan; flags=(-DREBONDO_TSAN=ON -DREBONDO_BUILD_BENCHMARKS=OFF); targets=(rebondo_tests rebondo-render) ;;
  asan)  dir=build-asan; flags=(-DREBONDO_ASAN=ON -DREBONDO_BUILD_BENCHMARKS=OFF); targets=(rebondo_tests rebondo-render) ;;
  *) echo "usage: scripts/test.sh [debug|tsan|asan]" >&2; exit 2 ;;
esac

cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug "${flags[@]}"
cmake --build "$dir" -j"$jobs" --target "${targets[@]}"

# The suite runs headless; the few tests that open real windows run again
# under their own virtual X server (xvfb-run), see tests/CMakeLists.txt.
unset DISPLAY

export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/support/tsan.supp ${TSAN_OPTIONS:-}"
export ASAN_OPTIONS="detect_leaks=0 abort_on_error=1 ${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1 halt_on_error=1 ${UBSAN_OPTIONS:-}"

cd "$dir"
ctest --output-on-failure -j"$jobs"
