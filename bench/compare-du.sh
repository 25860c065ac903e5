#!/usr/bin/env bash
# Times FileSize::onDisk against `du -s` on FOLDER and checks that both count the same bytes.
# Usage: bench/compare-du.sh FOLDER [brisklet-filesize program] [runs]
#
# du also counts the blocks of the folders themselves, which onDisk leaves out (they cannot be won
# back), so the check compares onDisk with du's figure minus the blocks of every folder du counted:
# the folders on FOLDER's own file system (du -x, like onDisk, stays on it).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
folder=${1:?usage: compare-du.sh FOLDER [program] [runs]}
program=${2:-${BRISKLET_FILESIZE:-$here/../build/release/bench/brisklet-filesize}}
runs=${3:-5}

# Best wall time in nanoseconds of `runs` runs of the command; its output goes to $last_output.
best_of() {
  local best= start end
  for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    last_output=$("$@")
    end=$(date +%s%N)
    if [ -z "$best" ] || [ $((end - start)) -lt "$best" ]; then best=$((end - start)); fi
  done
  echo "$best" > "$timing"
}

timing=$(mktemp)
trap 'rm -f "$timing"' EXIT

# Warm the caches so both are timed on metadata in memory.
"$program" "$folder" > /dev/null
du -sx -B1 "$folder" > /dev/null

best_of "$program" "$folder"
ours_ns=$(cat "$timing")
ours=$last_output
best_of du -sx -B1 "$folder"
du_ns=$(cat "$timing")
du_total=${last_output%%[[:space:]]*}

root_dev=$(stat -c %d "$folder")
folder_blocks=$(find "$folder" -xdev -type d -printf '%D %b\n' 2> /dev/null |
  awk -v dev="$root_dev" '$1 == dev { sum += $2 } END { printf "%d", sum * 512 }')
du_files=$((du_total - folder_blocks))

echo "onDisk:        $ours bytes, best of $runs: $((ours_ns / 1000000)) ms"
echo "du -sx -B1:    $du_total bytes ($du_files without folders' own blocks), best of $runs: $((du_ns / 1000000)) ms"
if [ "$ours" -ne "$du_files" ]; then
  echo "MISMATCH: onDisk counts $ours bytes, du $du_files without folders" >&2
  status=1
else
  status=0
fi
awk -v a="$ours_ns" -v b="$du_ns" 'BEGIN { printf "FileSize::onDisk / du -s: %.2f\n", a / b }'
exit "$status"
