#!/usr/bin/env bash
# Times FileSize::onDisk, split over the cores and kept on one thread, against `du -s` on FOLDER,
# and checks that all three count the same bytes.
# Usage: bench/compare-du.sh FOLDER [brisklet-filesize program] [runs]
#
# The three are run in turns, `runs` rounds, so that whatever else the machine is doing weighs on
# each alike; each gets the median of its times, and the ratios are of those medians. On a machine
# busy with other work a split cannot get the cores it splits over; as root, `chrt -f 10` before
# the script keeps that work off while it runs.
#
# du also counts the blocks of the folders themselves, which onDisk leaves out (they cannot be won
# back), so the check compares onDisk with du's figure minus the blocks of every folder du counted:
# the folders on FOLDER's own file system (du -x, like onDisk, stays on it). Mounts inside FOLDER
# that are on the same file system (bind mounts) are walked by du and find but not by onDisk, so
# the check holds for folders without them.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
folder=${1:?usage: compare-du.sh FOLDER [program] [runs]}
program=${2:-${BRISKLET_FILESIZE:-$here/../build/release/bench/brisklet-filesize}}
runs=${3:-7}

times=$(mktemp -d)
trap 'rm -rf "$times"' EXIT

# Runs the command once, appends its wall time in nanoseconds to $times/NAME, keeps its output.
timed() {
  local name=$1 start end
  shift
  start=$(date +%s%N)
  last_output=$("$@")
  end=$(date +%s%N)
  echo $((end - start)) >> "$times/$name"
  outputs[$name]=$last_output
}

median_ms() {
  sort -n "$times/$1" | awk '{ t[NR] = $1 } END { m = NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2; printf "%d", m / 1000000 }'
}

declare -A outputs
# Warm the caches so all are timed on metadata in memory.
"$program" "$folder" > /dev/null
du -sx -B1 "$folder" > /dev/null

for _ in $(seq "$runs"); do
  timed split "$program" "$folder"
  timed one "$program" --one-thread "$folder"
  timed du du -sx -B1 "$folder"
done

ours=${outputs[split]}
du_total=${outputs[du]%%[[:space:]]*}
root_dev=$(stat -c %d "$folder")
folder_blocks=$(find "$folder" -xdev -type d -printf '%D %b\n' 2> /dev/null |
  awk -v dev="$root_dev" '$1 == dev { sum += $2 } END { printf "%d", sum * 512 }')
du_files=$((du_total - folder_blocks))

split_ms=$(median_ms split)
one_ms=$(median_ms one)
du_ms=$(median_ms du)
echo "onDisk:              $ours bytes, median of $runs: $split_ms ms"
echo "onDisk, one thread:  ${outputs[one]} bytes, median of $runs: $one_ms ms"
echo "du -sx -B1:          $du_total bytes ($du_files without folders' own blocks), median of $runs: $du_ms ms"
status=0
for figure in "$ours" "${outputs[one]}"; do
  if [ "$figure" -ne "$du_files" ]; then
    echo "MISMATCH: onDisk counts $figure bytes, du $du_files without folders" >&2
    status=1
  fi
done
awk -v s="$split_ms" -v o="$one_ms" -v d="$du_ms" 'BEGIN {
  printf "onDisk / du -s: %.2f   one thread / du -s: %.2f   onDisk / one thread: %.2f\n", s / d, o / d, s / o }'
exit "$status"
