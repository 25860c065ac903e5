#!/usr/bin/env bash
# The command line of the real program. --help and --version answer on standard output with status 0
# and never touch a display: QT_QPA_PLATFORM=xcb with no DISPLAY makes any GUI start-up fail loudly.
# Qt's own options still reach Qt: "-platform offscreen" overrides that failing xcb.
set -euo pipefail
program=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home/tmp" "$work/home/.config"
headless=(env -u DISPLAY -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM=xcb
          HOME="$work/home" XDG_CACHE_HOME= XDG_DATA_HOME= XDG_CONFIG_HOME="$work/home/.config" TMPDIR="$work/home/tmp")
fail() { echo "FAIL: $1"; exit 1; }

"${headless[@]}" "$program" --help > "$work/out" 2> "$work/err" || fail "--help exited with $?"
grep -q '^Usage: brisklet' "$work/out" || fail "--help printed no usage"
grep -q -- '--report \[--json\]' "$work/out" || fail "--help does not name --report --json"
[ ! -s "$work/err" ] || fail "--help wrote to standard error: $(cat "$work/err")"

"${headless[@]}" "$program" --version > "$work/out" 2> "$work/err" || fail "--version exited with $?"
[ "$(cat "$work/out")" = "brisklet $version" ] || fail "--version printed '$(cat "$work/out")'"
[ ! -s "$work/err" ] || fail "--version wrote to standard error: $(cat "$work/err")"

# -h is --help too, and help wins over the report whatever the order.
"${headless[@]}" "$program" --report -h > "$work/out" || fail "--report -h exited with $?"
grep -q '^Usage: brisklet' "$work/out" || fail "--report -h did not print the usage"

# --json on its own is refused with the usage on standard error, instead of opening a window.
status=0
"${headless[@]}" "$program" --json > "$work/out" 2> "$work/err" || status=$?
[ "$status" -eq 2 ] || fail "--json alone exited with $status"
[ ! -s "$work/out" ] || fail "--json alone wrote to standard output"
grep -q -- '--json goes with --report' "$work/err" || fail "--json alone did not say why"

# Options Qt knows reach Qt: with -platform offscreen the window starts despite the broken xcb,
# in the tray or not, and stays up until it is stopped.
for extra in "" "--tray"; do
  status=0
  timeout 3 "${headless[@]}" "$program" -platform offscreen $extra > /dev/null 2> "$work/err" || status=$?
  [ "$status" -eq 124 ] || fail "'-platform offscreen $extra' ended with $status: $(cat "$work/err")"
done
echo "command line ok"
