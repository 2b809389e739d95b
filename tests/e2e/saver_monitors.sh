#!/usr/bin/env bash
# Two monitors, 800x600 and 640x480 to its right, on a nested Xephyr with Xinerama
# and without RandR (where Wine sees two). Each shows its own ferns, pixel for pixel
# the tool's picture for its size at the same tick, so neither draws across the seam.
# No X screen holds the corner where no monitor is (Xinerama's GetImage fills it
# with rows from above): saver_proc_test reads that from the OpenGL surface.
#   saver_monitors.sh SAVER_SCR MORVESSANTIQUE_TOOL OUTSIDE_PROBE
set -uo pipefail
scr=$1
tool=$2
probe=$3
. "$(dirname "$0")/saver_lib.sh"
command -v Xephyr >/dev/null || { echo "SKIP: needs Xephyr (package xserver-xephyr)"; exit 77; }
saver_require_session
sizes=(800x600 640x480)
places=(800x600+0+0 640x480+800+0)

nested_display 1600x800x24 +xinerama -extension RANDR -screen 800x600 -screen 640x480 ||
  { fail "two monitors: $why"; finish; exit; }
heads=$(xdpyinfo -ext XINERAMA | grep -c 'head #')
[ "$heads" = 2 ] || { fail "Xephyr shows $heads Xinerama heads, not 2"; finish; exit; }
# Wine 10 takes each monitor's rectangle from its display mode, and without RandR
# every head has the first one's single mode at 0,0: two mirrored 800x600
# monitors, which the saver rightly draws as one picture. No X server here gives
# Wine 10 two heads through RandR, so there is nothing side by side to test.
listed=$("$wine" "$probe" monitors 2>/dev/null | tr -d '\r' | LC_ALL=C sort | paste -sd ' ')
case $listed in
  "0,0-800,600 800,0-1440,480") ;;
  "0,0-800,600 0,0-800,600")
    echo "SKIP: this Wine lists the two screens as mirrored monitors at 0,0 (Wine 10 without RandR)"
    exit 77 ;;
  *) fail "Wine lists the monitors as '$listed', not as Xephyr's two screens"; finish; exit ;;
esac

# A finished fern stays through the end-of-fern tick and 80 pause ticks: at the
# later of the two sizes' finishing ticks both monitors show finished ferns.
read -r vertical horizontal < <(for size in "${sizes[@]}"; do "$tool" stats "$size"; done | awk '
  $1 == "vertical" { v = 5 * $3 } $1 == "horizontal" { t[n++] = v; t[n++] = v + 81 + 5 * $3 }
  END { print (t[0] > t[2] ? t[0] : t[2]), (t[1] > t[3] ? t[1] : t[3]) }')
for size in "${sizes[@]}"; do
  "$tool" png "$size" "$vertical" --out "$work/vertical-$size.png"
  "$tool" png "$size" "$horizontal" --out "$work/horizontal-$size.png"
done

start saver "$scr" /s
wait_saver saver 60 || { fail "/s on two monitors: $why"; finish; exit; }
for fern in vertical horizontal; do
  deadline=$(($(now_ms) + 60000)) seen=
  while [ -z "$seen" ] && [ "$(now_ms)" -lt "$deadline" ] && [ ! -s "$work/saver.exit" ]; do
    shoot "$work/shot.png" || continue
    seen=yes
    for i in 0 1; do
      convert "$work/shot.png" -crop "${places[i]}" +repage "$work/monitor$i.png"
      differ[i]=$(compare -metric AE "$work/monitor$i.png" "$work/$fern-${sizes[i]}.png" null: 2>&1)
      [ "${differ[i]}" = 0 ] || seen=
    done
  done
  tick=$([ $fern = vertical ] && echo "$vertical" || echo "$horizontal")
  if [ -n "$seen" ]; then
    pass "both monitors show the tool's pictures of their finished $fern ferns (tick $tick)"
  else
    fail "never both monitors the tool's $fern pictures of tick $tick: ${differ[0]:-?} pixels differ on ${places[0]}, ${differ[1]:-?} on ${places[1]}$(said saver)"
  fi
done
xdotool key space
finish
