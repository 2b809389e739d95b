#!/usr/bin/env bash
# The saver's time from `/s` to its first fern pixel, under Wine on a private
# Xvfb of the screen's size. Wine's own services are started once and kept
# (a persistent wineserver), as a booted Windows has them; each run then starts
# the saver's process and ends at the first fern-coloured pixel at the foot of
# the vertical fern, where the first depth level draws the root's first fifth.
# That span holds the process start, the saver's window and OpenGL set-up, the
# precomputation beside its progress dialog, the finished dialog's 1.5 s hold
# and the first timer tick.
#   bench/saver_first_pixel.sh MORV_FIRST_PIXEL WIDTHxHEIGHT RUNS SAVER.scr [SAVER.scr...]
# Several savers (two builds, say) take turns run by run, so that a busy machine
# slows them alike. MORV_FIRST_PIXEL: build/host/bench/morv_first_pixel. The Wine that this
# machine runs is picked as for the tests (MORV_WIN_PRESET=win64 forces 64-bit).
# With MORV_UNMANAGED=1 the saver's windows are not handed to a window manager:
# on a display without one, Wine otherwise waits about 2 s as the progress
# dialog closes, which no Windows does.
set -euo pipefail
probe=$(realpath "$1")
size=$2
runs=$3
shift 3
savers=()
for saver in "$@"; do savers+=("$(realpath "$saver")"); done
width=${size%x*}
height=${size#*x}
here=$(cd "$(dirname "$0")" && pwd)

. "$here/../scripts/wine-session.sh"
morv_wine_pick
morv_xvfb_start "${size}x24" /dev/null
MORV_XVFB_PID=$morv_xvfb_pid
morv_wine_start

# The root's first fifth: from the middle of the bottom edge, h / 25 pixels up.
foot=$((height / 25))
region="21x${foot}+$((width / 2 - 10))+$((height - foot))"
# Nothing started below may keep this script's output open: the saver and
# the persistent wineserver outlive the commands that start them.
out=$(mktemp /tmp/morv-first-pixel.XXXXXX)
trap 'rm -f "$out"; morv_wine_stop' EXIT
if [ "${MORV_UNMANAGED:-0}" = 1 ]; then
  for saver in "${savers[@]}"; do morv_wine_unmanaged "$(basename "$saver")"; done
fi
wineserver -p >/dev/null 2>&1
"$MORV_WINE" cmd /c exit >/dev/null 2>&1  # Wine's services up before the first run
for run in $(seq 1 "$runs"); do
  for saver in "${savers[@]}"; do
    xdotool mousemove $((width / 2)) $((height / 2))
    "$probe" "$region" 120 -- "$MORV_WINE" "$saver" /s >"$out" 2>/dev/null || true
    echo "run $run, $saver: $(head -1 "$out")"
    pid=$(sed -n 's/^pid //p' "$out")
    sleep 0.5
    xdotool mousemove 0 0  # the saver ends on mouse movement
    for _ in $(seq 1 300); do
      [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
  done
done
