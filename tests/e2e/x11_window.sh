#!/usr/bin/env bash
# The display mode in windows other than XScreenSaver's: -window-id of a window
# that another client made (the ferns appear inside it, drawn exactly as the
# Windows saver draws them for that size, and the program ends with 0 within
# seconds when that window is destroyed or on SIGTERM, even when its clean end
# takes longer than the 2 s grace of a signal, also when the signal comes during it), and its own window under a
# compositing manager (a resize computes the ferns for the new size, and the
# picture is still exactly right; SIGINT ends it with 0).
#   x11_window.sh MORVESSANTIQUE X11_TEST_WINDOW MORVESSANTIQUE_TOOL X11_SLOW_END
set -uo pipefail
bin=$1
testwin=$2
tool=$3
slow=$4  # its clean end after a stop signal takes 3 s
. "$(dirname "$0")/x11_lib.sh"
x11_session 1024x768 xcompmgr

# The finished vertical fern stays for its pause (4 s at -fast), the same picture as the
# saver's drawing code makes offscreen. Each cycle of both ferns draws it in colours
# further round the colour cycle, and a busy machine may look only after the first
# pause: the tool's pictures of the first three cycles, $work/expected-SIZE-K.png.
for size in 320x240 480x360; do
  read -r vertical horizontal < <("$tool" stats "$size" | awk '{ printf "%s ", $3 }')
  for k in 0 1 2; do
    "$tool" png "$size" $((5 * vertical + 1 + k * (5 * vertical + 401 + 5 * horizontal + 401))) \
      --fast --out "$work/expected-$size-$k.png"
  done
done

# finished_fern SIZE CROP: screenshots of CROP until one is exactly one of the tool's
# pictures for SIZE, for at most 25 s. The pixel count alone does not say the fern is
# finished: the last levels may only paint over pixels already lit. $stats and $diff
# tell what the last screenshot with the finished fern's pixel count was like.
finished_fern() {
  local k d want end
  want=$(shot_stats "$work/expected-$1-0.png" | cut -d' ' -f1)
  end=$(($(date +%s) + 25))
  diff=
  while [ "$(date +%s)" -lt "$end" ]; do
    stats=$(fern_shot "$work/done-$1.png" "$2")
    if [ "${stats%% *}" = "$want" ]; then
      diff=
      for k in 0 1 2; do
        d=$(compare -metric AE "$work/done-$1.png" "$work/expected-$1-$k.png" null: 2>&1)
        [ "$d" = 0 ] && return 0
        diff="$diff $d"
      done
    fi
    sleep 0.2
  done
  return 1
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
if finished_fern 320x240 320x240+200+120; then
  pass "the finished fern is pixel for pixel morvessantique-tool's picture for 320x240"
else
  fail "the finished fern differs from morvessantique-tool's picture: $stats, pixels differing from each cycle's:${diff:- ?}"
fi
[ ! -s "$work/saver.exit" ] || fail "saver ended before its window was destroyed$(said saver)"
kill "$(cat "$work/target.pid")"
ended_with saver 0 "the target window destroyed"

run_bg target2 "$testwin" 200 150 0 0
wait_file "$work/target2.out" 5
run_bg saver2 "$bin" -window-id "$(head -1 "$work/target2.out")"
wait_fern "$work/second.png" 15 '$1 > 0' >/dev/null || fail "saver2: no fern before the signal$(said saver2)"
signal_running saver2 TERM
ended_with saver2 0 "SIGTERM"
# A clean end longer than the grace a signal gives a program that does not look for it.
run_bg slow "$slow" -window-id "$(head -1 "$work/target2.out")"
wait_fern "$work/slow.png" 15 '$1 > 0' >/dev/null || fail "slow: no fern before the signal$(said slow)"
signal_running slow TERM
ended_with slow 0 "SIGTERM, then a clean end of 3 s"
# The same, with the X server stopped during that clean end: the teardown, which waits
# on the server, is bounded, and the signal's default course ends the program.
run_bg slow2 "$slow" -window-id "$(head -1 "$work/target2.out")"
wait_fern "$work/slow2.png" 15 '$1 > 0' >/dev/null || fail "slow2: no fern before the signal$(said slow2)"
at_exit "kill -CONT $morv_xvfb_pid"
signal_running slow2 TERM
sleep 1
kill -STOP "$morv_xvfb_pid"
ended_with slow2 143 "SIGTERM, then an X server that stops answering during the clean end"
kill -CONT "$morv_xvfb_pid"
timeout 10 xdpyinfo >/dev/null 2>&1 || fail "the X server does not answer again after it went on"
kill "$(cat "$work/target2.pid")"
# Its window destroyed, then SIGTERM during the clean end that follows: still the clean
# end's 0 (on a machine so busy that the program ended first, the check says nothing).
run_bg target3 "$testwin" 200 150 0 0
wait_file "$work/target3.out" 5
run_bg slow3 "$slow" -window-id "$(head -1 "$work/target3.out")"
wait_fern "$work/slow3.png" 15 '$1 > 0' >/dev/null || fail "slow3: no fern before its window went$(said slow3)"
kill "$(cat "$work/target3.pid")"
sleep 0.5  # the clean end's 3 s outlast a signal's 2 s from here
kill -TERM "$(cat "$work/slow3.pid")" 2>/dev/null
ended_with slow3 0 "its window destroyed, then SIGTERM during the clean end of 3 s"

# Its own window, under a compositing manager: 1024x768 at first, then 480x360.
# The finished fern must then be exactly the tool's picture for 480x360.
run_bg compositor xcompmgr
sleep 0.5
[ -s "$work/compositor.exit" ] && fail "xcompmgr did not stay: $(cat "$work/compositor.err")"
run_bg own "$bin" -fast
if own=$(wait_window '^Morvessantique$' 10); then
  wait_fern "$work/own.png" 15 '$1 > 200' >/dev/null
  xdotool windowsize "$own" 480 360
  if finished_fern 480x360 480x360+0+0; then
    pass "resized to 480x360 under xcompmgr: the finished fern is the tool's picture for 480x360"
  else
    fail "resized to 480x360 under xcompmgr: not the tool's picture: $stats, pixels differing from each cycle's:${diff:- ?}"
  fi
else
  fail "no window named Morvessantique"
fi
signal_running own INT
ended_with own 0 "SIGINT"
finish
