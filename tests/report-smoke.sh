#!/usr/bin/env bash
# Runs the real program with --report over a fixture home. It must print the whole report and exit 0
# without a display: QT_QPA_PLATFORM=xcb with no DISPLAY makes any GUI start-up fail loudly.
set -euo pipefail
program=$1
home=$(mktemp -d /tmp/brisklet-report.XXXXXX)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/.local/share/Trash/files" "$home/.local/share/Trash/info"
head -c 200000 /dev/zero > "$home/.local/share/Trash/files/clip.1.mov"
printf '[Trash Info]\nPath=/x/My%%20clip.mov\n' > "$home/.local/share/Trash/info/clip.1.mov.trashinfo"

out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_DATA_HOME -u XDG_CACHE_HOME QT_QPA_PLATFORM=xcb \
      HOME="$home" TMPDIR="$home" "$program" x --report y)

fail() { echo "FAIL: $1"; echo "$out"; exit 1; }
mapfile -t lines <<< "$out"
[[ ${lines[0]} =~ ^Disk\ \ .+:\ .+\ free\ of\ .+$ ]] || fail "disk line"
[[ ${lines[1]} =~ ^RAM\ \ \ .+\ used\ of\ .+\ ·\ app\ .+\ ·\ pressure\ (normal|warning|critical)$ ]] || fail "memory line"
for title in "App Caches" "Logs & Crash Reports" "Xcode & Simulators" "Developer Caches" "Trash"; do
  grep -q -- "^$title: .* pre-selected)" <<< "$out" || fail "block $title"
done
grep -qE '^  ☑ 200 KB     My clip\.mov$|^  ☑ 2[0-9][0-9] KB     My clip\.mov$' <<< "$out" || fail "trash item"
grep -qx 'Top processes' <<< "$out" || fail "process section"
[ "$(grep -cE '^  [0-9].* ' <<< "$(sed -n '/^Top processes$/,$p' <<< "$out")")" -ge 1 ] || fail "process lines"
echo "report ok (${#lines[@]} lines)"
