#!/usr/bin/env bash
# A second start of brisklet in the same session hands over to the running one and exits at once,
# while the first keeps running. Both run on a bus and a home of this test's own.
set -euo pipefail
program=$1
work=$(mktemp -d)
first=""
bus_pid=""
cleanup() {
  if [ -n "$first" ]; then kill "$first" 2> /dev/null || true; wait "$first" 2> /dev/null || true; fi
  if [ -n "$bus_pid" ]; then kill "$bus_pid" 2> /dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/home/tmp" "$work/home/.config"
export HOME="$work/home" XDG_CACHE_HOME= XDG_DATA_HOME= XDG_CONFIG_HOME="$work/home/.config" TMPDIR="$work/home/tmp"
export QT_QPA_PLATFORM=offscreen
DBUS_SESSION_BUS_ADDRESS=$(dbus-daemon --session --fork --print-address=1 --print-pid=3 3> "$work/bus.pid")
export DBUS_SESSION_BUS_ADDRESS
bus_pid=$(cat "$work/bus.pid")

owned() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.brisklet.Brisklet 2> /dev/null | grep -q 'boolean true'
}

"$program" & first=$!
for _ in $(seq 200); do owned && break; sleep 0.1; done
owned || { echo "the first start never took its name on the bus"; exit 1; }

status=0
timeout 20 "$program" || status=$?
[ "$status" -eq 0 ] || { echo "the second start exited with $status instead of handing over"; exit 1; }
kill -0 "$first" 2> /dev/null || { echo "the first start did not survive the second"; exit 1; }
echo "second start handed over to the first"
