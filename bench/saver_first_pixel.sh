#!/usr/bin/env bash
# The saver's time from `/s` to its first fern pixel, under Wine on a private
# Xvfb of the screen's size. Wine's own services are started once and kept
# (a persistent wineserver), as a booted Windows has them; each run then starts
# the saver's process and ends at the first fern-coloured pixel at the foot of
# the vertical fern, where the first depth level draws the root's first fifth.
# That span holds the process start, the saver's window and OpenGL set-up, the
# precomputation beside its progress dialog, the finished dialog's 1.5 s hold
# and the first timer tick.
#   bench/saver_first_pixel.sh MORV_FIRST_PIXEL SAVER.scr [WIDTHxHEIGHT] [RUNS]
# MORV_FIRST_PIXEL: build/host/bench/morv_first_pixel. The Wine that this
# machine runs is picked as for the tests (MORV_WIN_PRESET=win64 forces 64-bit).
set -euo pipefail
probe=$(realpath "$1")
saver=$(realpath "$2")
size=${3:-3840x2160}
runs=${4:-5}
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
wineserver -p >/dev/null 2>&1
"$MORV_WINE" cmd /c exit >/dev/null 2>&1  # Wine's services up before the first run
for run in $(seq 1 "$runs"); do
  xdotool mousemove $((width / 2)) $((height / 2))
  "$probe" "$region" 120 -- "$MORV_WINE" "$saver" /s >"$out" 2>/dev/null || true
  echo "run $run: $(head -1 "$out")"
  pid=$(sed -n 's/^pid //p' "$out")
  sleep 0.5
  xdotool key Escape
  for _ in $(seq 1 300); do
    [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
done
