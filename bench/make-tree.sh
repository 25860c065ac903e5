#!/usr/bin/env bash
# Makes a cache-like tree of COUNT files in DEST for bench/compare-du.sh (the same shape that
# bench_filesize measures). Usage: bench/make-tree.sh DEST COUNT [brisklet-filesize program]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
dest=${1:?usage: make-tree.sh DEST COUNT [program]}
count=${2:?usage: make-tree.sh DEST COUNT [program]}
program=${3:-${BRISKLET_FILESIZE:-$here/../build/release/bench/brisklet-filesize}}
if [ -e "$dest" ] && [ -n "$(ls -A "$dest")" ]; then
  echo "make-tree.sh: $dest exists and is not empty" >&2
  exit 1
fi
mkdir -p "$dest"
"$program" --make-tree "$dest" "$count"
