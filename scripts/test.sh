#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors under AddressSanitizer and
# UndefinedBehaviorSanitizer, fuzzes the parsers briefly with clang, then runs the whole test suite.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
build="$root/build/sanitize"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DBRISKLET_WERROR=ON -DBRISKLET_SANITIZE=ON -DBRISKLET_TESTS=ON -DBRISKLET_BENCH=ON
cmake --build "$build"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# The parsers' fuzz harnesses under libFuzzer for a few seconds each, on copies of their seed corpora
# (the test run below only replays those seeds).
probe=$(mktemp -d)
if command -v clang++ > /dev/null &&
   echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
     clang++ -x c++ -fsanitize=fuzzer - -o "$probe/probe" 2> /dev/null; then
  FUZZ_JOBS="$(nproc)" "$root/bench/fuzz.sh" 5
else
  echo "No clang++ with libFuzzer here: the fuzz harnesses only replayed their seed corpora."
fi
rm -rf "$probe"

# The whole suite last, so that its summary closes the run.
cd "$build" && ctest --output-on-failure -j"$(nproc)"
