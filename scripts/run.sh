#!/usr/bin/env bash
# Installs what is missing, builds brisklet and runs it with the given arguments
# (for example --report, which prints the text report and exits).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DBRISKLET_TESTS=OFF -DBRISKLET_BENCH=OFF >/dev/null
cmake --build "$root/build/release" --target brisklet >/dev/null
exec "$root/build/release/brisklet" "$@"
