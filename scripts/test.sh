#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors under AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs the whole test suite.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
build="$root/build/sanitize"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DBRISKLET_WERROR=ON -DBRISKLET_SANITIZE=ON -DBRISKLET_TESTS=ON -DBRISKLET_BENCH=ON
cmake --build "$build"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$build" && ctest --output-on-failure -j"$(nproc)"
