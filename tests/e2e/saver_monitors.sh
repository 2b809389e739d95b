#!/usr/bin/env bash
# Two monitors of different sizes: 800x600 and, to its right, 640x480, so that
# the saver's 1440x600 window has a corner where no monitor is. Wine sees such a
# desktop on a nested Xephyr with Xinerama and without RandR. Each monitor must
# show its own ferns, pixel for pixel morvessantique-tool's picture for its
# size at the same tick (both finished vertical ferns, then both finished
# horizontal ones), which also proves that neither draws across the seam.
# The corner itself cannot be looked at here: no X screen holds its pixels, and
# Xinerama's GetImage fills it with whatever its buffer held from the rows
# above. saver_proc_test reads it back from the saver's OpenGL surface instead.
#   saver_monitors.sh SAVER_SCR MORVESSANTIQUE_TOOL
set -uo pipefail
scr=$1
tool=$2
here=$(dirname "$0")
. "$here/saver_lib.sh"
. "$here/../../scripts/wine-session.sh"  # morv_xvfb_start
saver_require_session

sizes=(800x600 640x480)
places=(800x600+0+0 640x480+800+0)
pause=80  # ticks between two ferns at the normal 50 ms

own_prefix= xephyr_pid= host_pid=
monitors_cleanup() {
  saver_cleanup
  [ -n "$own_prefix" ] && WINEPREFIX=$own_prefix wineserver -k >/dev/null 2>&1
  [ -n "$xephyr_pid" ] && kill "$xephyr_pid" 2>/dev/null
  [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null
  true
}
trap monitors_cleanup EXIT

skip() {
  echo "SKIP: $*"
  exit 77
}

# The two-monitor display: an Xephyr with two screens, in an Xvfb of its own.
command -v Xephyr >/dev/null ||
  skip "no Xephyr (package xserver-xephyr): no display with two monitors to run on"
morv_xvfb_start 1600x800x24 "$work/xvfb.log" || skip "no Xvfb to hold the Xephyr: $(tail -1 "$work/xvfb.log")"
host_pid=$morv_xvfb_pid
Xephyr -displayfd 3 +xinerama -extension RANDR -screen 800x600 -screen 640x480 -no-host-grab \
  -nolisten tcp 3>"$work/xephyr.display" >"$work/xephyr.log" 2>&1 &
xephyr_pid=$!
for _ in $(seq 1 100); do
  grep -q '^[0-9]' "$work/xephyr.display" 2>/dev/null && break
  kill -0 "$xephyr_pid" 2>/dev/null || break
  sleep 0.1
done
grep -q '^[0-9]' "$work/xephyr.display" 2>/dev/null ||
  skip "Xephyr did not start: $(tail -1 "$work/xephyr.log")"
export DISPLAY=":$(head -1 "$work/xephyr.display")"
heads=$(xdpyinfo -ext XINERAMA 2>/dev/null | grep -c 'head #')
[ "$heads" = 2 ] || skip "Xephyr on $DISPLAY shows $heads Xinerama heads instead of 2"

# A Wine prefix of its own: the session's wineserver knows its display's one monitor.
own_prefix=$work/prefix
export WINEPREFIX=$own_prefix
"$wine" wineboot -i >"$work/wineboot.log" 2>&1 || true
wineserver -w

# The tick at which both monitors show a finished fern: each size's fern stays
# from its last level through the end-of-fern tick and the pause.
levels() { "$tool" stats "$1" | awk -v fern="$2" '$1 == fern { print $3 }'; }
finished=()  # per size: the ticks that finish its vertical and its horizontal fern
for size in "${sizes[@]}"; do
  v=$(levels "$size" vertical)
  h=$(levels "$size" horizontal)
  finished+=($((5 * v)) $((5 * v + 1 + pause + 5 * h)))
done
vertical_tick=$((finished[0] > finished[2] ? finished[0] : finished[2]))
horizontal_tick=$((finished[1] > finished[3] ? finished[1] : finished[3]))
for i in 0 1 2 3; do
  tick=$((i % 2 ? horizontal_tick : vertical_tick))
  if [ "$tick" -gt $((finished[i] + 1 + pause)) ]; then
    fail "no tick at which both sizes show a finished fern (${finished[*]})"
    saver_finish
    exit
  fi
done
for size in "${sizes[@]}"; do
  "$tool" png "$size" "$vertical_tick" --out "$work/vertical-$size.png"
  "$tool" png "$size" "$horizontal_tick" --out "$work/horizontal-$size.png"
done

# both_show FERN SECONDS: screenshots until each monitor is the tool's picture of
# FERN for its size, for at most SECONDS.
both_show() {
  local fern=$1 deadline=$(($(now_ms) + $2 * 1000)) i matched
  while [ "$(now_ms)" -lt "$deadline" ]; do
    [ -s "$work/saver.exit" ] && return 1
    shoot "$work/shot.png" || continue
    matched=0
    for i in 0 1; do
      convert "$work/shot.png" -crop "${places[i]}" +repage "$work/monitor$i.png"
      differ[i]=$(compare -metric AE "$work/monitor$i.png" "$work/$fern-${sizes[i]}.png" null: 2>&1)
      [ "${differ[i]}" = 0 ] && matched=$((matched + 1))
    done
    [ "$matched" = 2 ] && return 0
  done
  return 1
}

start saver "$scr" /s
if ! wait_saver saver 60; then
  fail "/s on two monitors: $why"
  saver_finish
  exit
fi
for fern in vertical horizontal; do
  tick=$([ "$fern" = vertical ] && echo "$vertical_tick" || echo "$horizontal_tick")
  if both_show "$fern" 60; then
    pass "both monitors show the tool's pictures of the finished $fern ferns at tick $tick"
  else
    fail "the monitors never showed the tool's $fern pictures at tick $tick together: ${differ[0]:-?} pixels differ on ${places[0]}, ${differ[1]:-?} on ${places[1]}$(saver_said saver)"
    cp "$work/shot.png" "$work/last-$fern.png" 2>/dev/null
  fi
done
xdotool key space
if ! wait_exit saver 15; then
  fail "the saver did not end after a key press"
elif [ "$(exit_code saver)" != 0 ]; then
  fail "the saver ended with $(exit_code saver) after a key press, expected 0"
else
  pass "a key press ends the saver with 0"
fi
saver_finish
