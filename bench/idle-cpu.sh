#!/usr/bin/env bash
# What brisklet costs while the user is not looking at it, on a virtual X server with a window
# manager and a tray, in a fixture home: start-to-first-paint (warm), CPU share of one core with
# the window open on the overview, then on the memory page (live figures and app lists of this
# machine's real processes), then with the window closed to the tray, and memory held at the end.
# Reports against the goals; never fails on them.
#
#   bench/idle-cpu.sh [SECONDS] [BRISKLET]
#
# SECONDS is the length of each CPU period (60); BRISKLET a release build of the program
# (build/release/brisklet; README shows how to build one). Builds nothing itself.
set -euo pipefail

period=${1:-60}
program=${2:-build/release/brisklet}

missing=()
for tool in Xvfb openbox trayer xdotool xwininfo; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
if ((${#missing[@]})); then
    echo "missing: ${missing[*]}" >&2
    echo "install them with: sudo apt-get install xvfb openbox trayer xdotool x11-utils" >&2
    exit 2
fi
[[ -x $program ]] || { echo "no program at $program (build a release tree first, see README)" >&2; exit 2; }
program=$(realpath "$program")

work=$(mktemp -d "${TMPDIR:-/tmp}/brisklet-idle.XXXXXX")
started=() # our own processes, ended by id on the way out
cleanup() {
    local pid
    for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${started[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# A home with something to find, so that the first scan does real work: caches, a trash, projects
# with node_modules and a couple of large downloads.
home=$work/home
mkdir -p "$home"/{.cache,.config,.local/share/Trash/{files,info},.local/state,Downloads,src} "$work"/{run,tmp}
chmod 700 "$work/run"
for app in browser editor player; do
    for d in $(seq 1 20); do
        mkdir -p "$home/.cache/$app/$d"
        for f in $(seq 1 25); do head -c $((f * 512)) /dev/zero >"$home/.cache/$app/$d/$f.bin"; done
    done
done
for i in $(seq 1 30); do
    head -c 4096 /dev/zero >"$home/.local/share/Trash/files/old-$i.txt"
    printf '[Trash Info]\nPath=%s/old-%s.txt\nDeletionDate=2024-01-01T10:00:00\n' "$home" "$i" \
        >"$home/.local/share/Trash/info/old-$i.txt.trashinfo"
done
for p in site api tool; do
    for m in $(seq 1 40); do
        mkdir -p "$home/src/$p/node_modules/pkg$m/lib"
        head -c 8192 /dev/zero >"$home/src/$p/node_modules/pkg$m/lib/index.js"
    done
    echo '{}' >"$home/src/$p/package.json"
done
head -c $((120 << 20)) /dev/urandom >"$home/Downloads/disk-image.iso"
head -c $((80 << 20)) /dev/urandom >"$home/Downloads/video.mp4"

export HOME=$home TMPDIR=$work/tmp XDG_RUNTIME_DIR=$work/run
export XDG_CACHE_HOME=$home/.cache XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share
export XDG_STATE_HOME=$home/.local/state
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/run/no-bus # no session bus: nothing outside is touched
unset WAYLAND_DISPLAY XDG_SESSION_TYPE QT_QPA_PLATFORM
hz=$(getconf CLK_TCK)

waitFor() { # SECONDS COMMAND...: polls every 50 ms
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.05
    done
}

display=
for n in $(seq 90 190); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] || { display=:$n; break; }
done
[[ -n $display ]] || { echo "no free display" >&2; exit 1; }
export DISPLAY=$display
Xvfb "$display" -screen 0 1440x900x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
started+=("$!")
waitFor 10 xwininfo -root >/dev/null 2>&1 || { echo "Xvfb did not start" >&2; exit 1; }
openbox >"$work/openbox.log" 2>&1 &
started+=("$!")

trayPid=
startTray() {
    trayer --edge top --align right --widthtype request --height 24 >"$work/trayer.log" 2>&1 &
    trayPid=$!
    started+=("$trayPid")
    waitFor 10 sh -c 'xwininfo -root -tree | grep -qi "panel"' || sleep 1
}

pid=
paintMs=
# Starts brisklet; sets `pid`, and `paintMs` to its start-to-first-paint in milliseconds.
launch() {
    local log=$work/brisklet.$1.log
    : >"$log" # before the program starts, so that polling it never races its creation
    BRISKLET_TRACE_STARTUP=1 "$program" >"$log" 2>&1 &
    pid=$!
    started+=("$pid")
    if ! waitFor 30 grep -q 'first paint after' "$log"; then
        echo "brisklet did not paint; its output:" >&2
        cat "$log" >&2
        exit 1
    fi
    paintMs=$(sed -n 's/.*first paint after \([0-9-]*\) ms.*/\1/p' "$log" | head -1)
}
stop() {
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}
alive() { kill -0 "$pid" 2>/dev/null; }
mainWindow() { # the tray icon is a visible window of ours too, but a small one
    local window WIDTH=0
    for window in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$window")"
        ((WIDTH > 100)) && { echo "$window"; return; }
    done
    return 0
}
closeWindow() { # the way a user does it: the window manager's close, which Qt takes as a close request
    local window
    window=$(mainWindow)
    [[ -n $window ]] || return 1
    xdotool windowactivate --sync "$window" key --clearmodifiers alt+F4
}
ticks() { # utime + stime of the process, in clock ticks
    local stat fields
    stat=$(<"/proc/$pid/stat")
    read -ra fields <<<"${stat##*) }" # from field 3 on: the name may hold spaces
    echo $((fields[11] + fields[12]))
}
# CPU share of one core, in percent, over `period` seconds.
cpuShare() {
    local t0 w0 t1 w1
    t0=$(ticks) w0=$(date +%s%N)
    sleep "$period"
    t1=$(ticks) w1=$(date +%s%N)
    awk -v t=$((t1 - t0)) -v w=$((w1 - w0)) -v hz="$hz" 'BEGIN { printf "%.2f", 100 * t / hz / (w / 1e9) }'
}
rssMB() { awk '/^VmRSS:/ { printf "%.1f", $2 / 1024 }' "/proc/$pid/status"; }

startTray
echo "display $display, brisklet $program, periods of $period s" >&2
launch cold
cold=$paintMs
sleep 2
stop
launch warm
warm=$paintMs
echo "first paint: cold $cold ms, warm $warm ms" >&2
sleep 8 # the first scan and the first passes
echo "window open on the overview: measuring $period s" >&2
open=$(cpuShare)
window=$(mainWindow)
[[ -n $window ]] || { echo "could not find the window" >&2; exit 1; }
xdotool windowactivate --sync "$window" key --clearmodifiers ctrl+5
sleep 5 # the page is built and shows its first lists
echo "window open on the memory page: measuring $period s" >&2
memoryPage=$(cpuShare)
closeWindow || { echo "could not find the window to close" >&2; exit 1; }
sleep 2
if ! alive; then
    echo "brisklet quit when its window closed although a tray is there" >&2
    exit 1
fi
[[ -z $(mainWindow) ]] || echo "warning: the window is still on screen" >&2
echo "tray only: measuring $period s" >&2
trayOnly=$(cpuShare)
rss=$(rssMB)
stop

# Without a tray, closing the window is quitting.
kill "$trayPid" 2>/dev/null || true
wait "$trayPid" 2>/dev/null || true
sleep 1
launch no-tray
sleep 2
closeWindow || true
if waitFor 10 sh -c "! kill -0 $pid 2>/dev/null"; then noTray="quits"; else noTray="stays (wrong)"; fi
stop

printf '\n%-38s %12s   %s\n' "brisklet idle" "measured" "goal"
printf '%-38s %9s ms   %s\n' "start to first paint (warm)" "$warm" "<= 400 ms (cold: $cold ms)"
printf '%-38s %10s %%   %s\n' "CPU, window open on the overview" "$open" "reported"
printf '%-38s %10s %%   %s\n' "CPU, window open on the memory page" "$memoryPage" "<= 1 % of one core"
printf '%-38s %10s %%   %s\n' "CPU, tray only" "$trayOnly" "<= 0.3 % of one core"
printf '%-38s %9s MB   %s\n' "RSS after the tray-only period" "$rss" "<= 60 MB"
printf '%-38s %12s   %s\n' "closing the window without a tray" "$noTray" "quits"
