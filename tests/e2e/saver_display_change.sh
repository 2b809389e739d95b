#!/usr/bin/env bash
# The display changes under a running saver, as when a docking station sets
# another resolution: on a resizeable Xephyr at 1024x768, another Windows program sets
# 800x600 while the first fern grows (Wine resizes the X screen through RandR and tells
# every window; a resize from outside, of Xephyr's host window, Wine 8 does not notice).
# The saver's window must then be 800x600 and show, pixel for pixel, the tool's picture
# of a finished 800x600 fern; a key still ends it with 0.
#   saver_display_change.sh SAVER_SCR MORVESSANTIQUE_TOOL OUTSIDE_PROBE
set -uo pipefail
scr=$1
tool=$2
probe=$3
. "$(dirname "$0")/saver_lib.sh"
command -v Xephyr >/dev/null || { echo "SKIP: needs Xephyr (package xserver-xephyr)"; exit 77; }
saver_require_session

nested_display 1280x1024x24 -resizeable -screen 1024x768 ||
  { fail "a resizeable display: $why"; finish; exit; }
# The finished vertical fern stays through the end-of-fern tick and the pause.
vertical=$("$tool" stats 800x600 | awk '$1 == "vertical" { print 5 * $3 }')
"$tool" png 800x600 "$vertical" --out "$work/expected.png"

center_pointer
start saver "$scr" /s
wait_saver saver 60 || { fail "/s: $why"; finish; exit; }
# The first levels are on the screen: the ferns run.
deadline=$(($(now_ms) + 60000)) lit=0
while [ "$lit" = 0 ] && [ "$(now_ms)" -lt "$deadline" ] && [ ! -s "$work/saver.exit" ]; do
  shoot "$work/before.png" && read -r lit _ < <(shot_stats "$work/before.png")
  lit=${lit:-0}
done
[ "$lit" -gt 0 ] || { fail "no fern before the change$(said saver)"; finish; exit; }

"$wine" "$probe" display 800 600 >"$work/probe.out" 2>&1 ||
  { fail "the display did not change: $(cat "$work/probe.out")"; finish; exit; }
saver=$(xdotool search --onlyvisible --name '^Screen Saver$' | head -1)
deadline=$(($(now_ms) + 30000)) size=
while [ "$size" != 800x600 ] && [ "$(now_ms)" -lt "$deadline" ] && [ ! -s "$work/saver.exit" ]; do
  sleep 0.2
  size=$(xdotool getwindowgeometry "$saver" 2>/dev/null | awk '/Geometry:/ { print $2 }')
done
if [ "$size" = 800x600 ]; then
  pass "the saver's window follows the screen to 800x600"
else
  fail "the saver's window is ${size:-gone} after the screen went to 800x600$(said saver)"
fi

deadline=$(($(now_ms) + 60000)) differ=?
while [ "$differ" != 0 ] && [ "$(now_ms)" -lt "$deadline" ] && [ ! -s "$work/saver.exit" ]; do
  shoot "$work/after.png" || continue
  differ=$(compare -metric AE "$work/after.png" "$work/expected.png" null: 2>&1)
done
if [ "$differ" = 0 ]; then
  pass "the new screen shows the tool's finished 800x600 fern (tick $vertical)"
else
  fail "never the tool's 800x600 picture of tick $vertical: $differ pixels differ$(said saver)"
fi

xdotool key space
if wait_exit saver 20 && [ "$(exit_code saver)" = 0 ]; then
  pass "a key still ends the saver, with 0"
else
  fail "after the change a key did not end the saver with 0 (exit: $(exit_code saver))"
fi
finish
