#!/usr/bin/env bash
# Times the node_modules and large-file finders against find (and du) on ROOT, checks that each pair
# finds the same set of paths, and prints one ratio line per finder (ours / theirs, lower is better).
# Usage: bench/compare-finders.sh ROOT [brisklet-finders program] [runs]
#   MIN_SIZE      large-file threshold in bytes (default 100000000, the model's 100 MB)
#   BRISKLET_HOME the home whose Library both sides pass over (default $HOME)
#
# Peers, with the same prunes as the finders:
#   node_modules: find ROOT … -type d -name node_modules -prune, then du -s of every hit. find cannot
#     tell whether a package.json sits beside a hit, so du measures those without one too, as
#     "find then du" would; the set check drops them (and hits with nothing on disk) untimed.
#   large files:  find ROOT … -type f -size +(MIN_SIZE-1)c. -size reads the length, the finder the
#     allocated blocks (a sparse file is long but holds little, a small file takes a whole block), so
#     the set check runs find once more, untimed, printing every file's blocks, and keeps those whose
#     blocks reach MIN_SIZE. The finder runs with no limit so the whole sets compare.
# Each command is timed as the best of `runs` runs after one warming run, so both work from cached
# metadata.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=${1:?usage: compare-finders.sh ROOT [program] [runs]}
program=${2:-${BRISKLET_FINDERS:-$here/../build/release/bench/brisklet-finders}}
runs=${3:-3}
min_size=${MIN_SIZE:-100000000}
home=${BRISKLET_HOME:-$HOME}
home=${home%/}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Best wall time in nanoseconds of `runs` runs of the command (after one untimed run), into $best.
best_of() {
  local start end
  "$@"
  best=
  for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    "$@"
    end=$(date +%s%N)
    if [ -z "$best" ] || [ $((end - start)) -lt "$best" ]; then best=$((end - start)); fi
  done
}

ours_node() { "$program" -0 node-modules "$root" "$home" > "$work/ours-node"; }
theirs_node() {
  find "$root" -mindepth 1 \( -name '.*' -o -type d \( -name Pods -o -name DerivedData \
    -o -path "$home/Library" \) \) -prune -o -type d -name node_modules -print0 -prune > "$work/hits"
  xargs -0 -r du -s < "$work/hits" > /dev/null
}
ours_large() { "$program" -0 large "$root" "$min_size" 2000000000 "$home" > "$work/ours-large"; }
large_prunes=(-mindepth 1 \( -name '.*' -o -type d \( -name node_modules -o -path "$home/Library"
  -o -name '*.photoslibrary' -o -name '*.musiclibrary' -o -name '*.tvlibrary' \) \) -prune)
theirs_large() {
  find "$root" "${large_prunes[@]}" -o -type f -size "+$((min_size - 1))c" -print0 > /dev/null
}

best_of ours_node
ours_node_ns=$best
best_of theirs_node
theirs_node_ns=$best
best_of ours_large
ours_large_ns=$best
best_of theirs_large
theirs_large_ns=$best

# The sets, NUL-separated so that any name compares.
while IFS= read -r -d '' hit; do
  [ -e "$(dirname -- "$hit")/package.json" ] || continue
  [ -n "$(find "$hit" -xdev ! -type d -printf '%b\n' | awk '$1 > 0 { print; exit }')" ] || continue
  printf '%s\0' "$hit"
done < "$work/hits" | sort -z > "$work/theirs-node"
sort -z "$work/ours-node" > "$work/ours-node-sorted"
find "$root" "${large_prunes[@]}" -o -type f -printf '%b %p\0' |
  while IFS= read -r -d '' line; do
    blocks=${line%% *}
    if [ $((blocks * 512)) -ge "$min_size" ]; then printf '%s\0' "${line#* }"; fi
  done | sort -z > "$work/theirs-large"
sort -z "$work/ours-large" > "$work/ours-large-sorted"

status=0
count() { tr -cd '\0' < "$1" | wc -c; }
check() {
  if cmp -s "$2" "$3"; then
    echo "$1: the same $(count "$2") paths"
  else
    echo "$1: MISMATCH, ours $(count "$2") paths, theirs $(count "$3")" >&2
    diff <(tr '\0' '\n' < "$2") <(tr '\0' '\n' < "$3") | head -20 >&2 || true
    status=1
  fi
}
check "node_modules" "$work/ours-node-sorted" "$work/theirs-node"
check "large files" "$work/ours-large-sorted" "$work/theirs-large"

ms() { awk -v ns="$1" 'BEGIN { printf "%.0f ms", ns / 1e6 }'; }
echo "NodeModulesFinder::find $(ms "$ours_node_ns"), find -prune + du -s $(ms "$theirs_node_ns")" \
  "(best of $runs)"
echo "LargeFileFinder::find   $(ms "$ours_large_ns"), find -size $(ms "$theirs_large_ns") (best of $runs)"
ratio() { awk -v a="$2" -v b="$3" -v what="$1" 'BEGIN { printf "%s: %.2f\n", what, a / b }'; }
ratio "NodeModulesFinder::find / (find + du -s)" "$ours_node_ns" "$theirs_node_ns"
ratio "LargeFileFinder::find / find -size" "$ours_large_ns" "$theirs_large_ns"
exit "$status"
