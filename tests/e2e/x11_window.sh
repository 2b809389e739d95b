#!/usr/bin/env bash
# The display mode in windows other than XScreenSaver's: -window-id of a window
# that another client made (the ferns appear inside it, drawn exactly as the
# Windows saver draws them for that size, and the program ends
# with 0 when that window is destroyed or on SIGTERM), and its own window under a
# compositing manager (a resize computes the ferns for the new size, and the
# picture is still exactly right; SIGINT ends it with 0).
#   x11_window.sh MORVESSANTIQUE X11_TEST_WINDOW MORVESSANTIQUE_TOOL
set -uo pipefail
bin=$1
testwin=$2
tool=$3
. "$(dirname "$0")/x11_lib.sh"
x11_session 1024x768 xcompmgr

# ended_with NAME CODE WHAT: the program has ended within 10 s, with CODE and nothing on stderr.
ended_with() {
  if ! wait_file "$work/$1.exit" 10; then
    fail "$3: still running after 10 s"
  elif [ "$(cat "$work/$1.exit")" != "$2" ] || [ -s "$work/$1.err" ]; then
    fail "$3: exit $(cat "$work/$1.exit"), stderr: $(head -3 "$work/$1.err")"
  else
    pass "$3: exit $2"
  fi
}

# A 320x240 window at (200, 120): the fern inside it, on its bottom middle.
run_bg target "$testwin" 320 240 200 120
wait_file "$work/target.out" 5 || fail "the test window did not start"
id=$(printf '0x%x' "$(head -1 "$work/target.out")")
run_bg saver "$bin" -fast -window-id "$id"
inside='$1 > 200 && $4 >= 200 && $5 >= 120 && $4 + $2 <= 520 && $5 + $3 <= 360'
if stats=$(wait_fern "$work/inside.png" 15 "$inside") && stem_at "$work/inside.png" 360 357; then
  pass "-window-id $id: the fern grows inside that window ($stats)"
else
  fail "-window-id $id: no fern inside the window at 320x240+200+120: $stats"
fi
# The finished vertical fern (19 levels at 240 pixels: 95 drawing ticks, then the
# end-of-fern tick) stays for the pause: the same picture as the saver's drawing
# code makes offscreen.
"$tool" png 320x240 96 --fast --out "$work/expected.png"
want=$(shot_stats "$work/expected.png" | cut -d' ' -f1)
if stats=$(wait_fern "$work/done.png" 15 "\$1 == $want" 320x240+200+120) &&
   diff=$(compare -metric AE "$work/done.png" "$work/expected.png" null: 2>&1) && [ "$diff" = 0 ]; then
  pass "the finished fern is pixel for pixel morvessantique-tool's picture for 320x240"
else
  fail "the finished fern differs from morvessantique-tool's picture: $stats, ${diff:-?} pixels differ"
fi
kill "$(cat "$work/target.pid")"
ended_with saver 0 "the target window destroyed"

run_bg target2 "$testwin" 200 150 0 0
wait_file "$work/target2.out" 5
run_bg saver2 "$bin" -window-id "$(head -1 "$work/target2.out")"
wait_fern "$work/second.png" 15 '$1 > 0' >/dev/null
kill -TERM "$(cat "$work/saver2.pid")"
ended_with saver2 0 "SIGTERM"
kill "$(cat "$work/target2.pid")"

# Its own window, under a compositing manager: 1024x768 at first, then 480x360.
# The finished fern must then be exactly the tool's picture for 480x360.
run_bg compositor xcompmgr
sleep 0.5
[ -s "$work/compositor.exit" ] && fail "xcompmgr did not stay: $(cat "$work/compositor.err")"
run_bg own "$bin" -fast
if own=$(wait_window '^Morvessantique$' 10); then
  wait_fern "$work/own.png" 15 '$1 > 200' >/dev/null
  xdotool windowsize "$own" 480 360
  levels=$("$tool" stats 480x360 | awk '/^vertical/ { print $3 }')
  "$tool" png 480x360 $((5 * levels + 1)) --fast --out "$work/expected-small.png"
  want=$(shot_stats "$work/expected-small.png" | cut -d' ' -f1)
  if stats=$(wait_fern "$work/small.png" 15 "\$1 == $want" 480x360+0+0) &&
     diff=$(compare -metric AE "$work/small.png" "$work/expected-small.png" null: 2>&1) &&
     [ "$diff" = 0 ]; then
    pass "resized to 480x360 under xcompmgr: the finished fern is the tool's picture for 480x360"
  else
    fail "resized to 480x360 under xcompmgr: not the tool's picture: $stats, ${diff:-?} pixels differ"
  fi
else
  fail "no window named Morvessantique"
fi
kill -INT "$(cat "$work/own.pid")"
ended_with own 0 "SIGINT"
finish
