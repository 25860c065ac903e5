#!/usr/bin/env bash
# Builds the parsers' fuzz harnesses with clang and libFuzzer (build/fuzz) and runs each for SECONDS
# (default 60), then prints per harness how many inputs it executed and whether it crashed.
# Usage: bench/fuzz.sh [SECONDS [HARNESS...]]    (all harnesses when none is named)
#        FUZZ_JOBS=N runs N harnesses at once (default 1).
#
# Each harness works on its own corpus folder under build/fuzz/corpus, seeded from the committed one
# in tests/fuzz/corpus and kept between runs; the committed corpus is never written to. A crashing
# input is saved under build/fuzz/artifacts; commit it to the seed corpus once the fault is fixed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
jobs=${FUZZ_JOBS:-1}
build="$root/build/fuzz"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DBRISKLET_FUZZ=ON -DBRISKLET_TESTS=OFF -DBRISKLET_BENCH=OFF > /dev/null
cmake --build "$build" --target brisklet-fuzzers
rm -f "$build"/logs/*.rc

names=("${@:2}")
if [ ${#names[@]} -eq 0 ]; then
  # One harness per input format, named after its seed corpus folder.
  for corpus in "$root"/tests/fuzz/corpus/*/; do
    names+=("$(basename "$corpus")")
  done
fi
mkdir -p "$build/artifacts" "$build/logs"

run() {
  local name=$1 corpus="$build/corpus/$1"
  mkdir -p "$corpus"
  cp "$root/tests/fuzz/corpus/$name"/* "$corpus/"
  # -timeout: one input taking seconds is a hang worth reporting.
  local rc=0
  "$build/tests/fuzz/brisklet-fuzz-$name" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$name-" "$corpus" > "$build/logs/$name.log" 2>&1 || rc=$?
  echo "$rc" > "$build/logs/$name.rc"
}

declare -A status
running=0
for name in "${names[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
  run "$name" &
  running=$((running + 1))
done
wait || true

failed=0
printf '%-14s %12s  %s\n' harness inputs result
for name in "${names[@]}"; do
  log="$build/logs/$name.log"
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ "$(cat "$build/logs/$name.rc")" = 0 ]; then
    result=ok
  else
    result="CRASHED $(sed -n 's/.*Test unit written to //p' "$log" | head -1)"
    failed=1
  fi
  printf '%-14s %12s  %s\n' "$name" "${executed:-?}" "$result"
done
if [ "$failed" -ne 0 ]; then
  for name in "${names[@]}"; do
    if [ "$(cat "$build/logs/$name.rc")" != 0 ]; then
      echo "---- $name ($build/logs/$name.log)"
      tail -n 60 "$build/logs/$name.log"
    fi
  done
  exit 1
fi
