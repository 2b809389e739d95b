#!/usr/bin/env bash
# Mouse movement against a running full-screen saver: a nudge of 3 pixels leaves
# it running; 10 more pixels end it with 0.
#   saver_mouse.sh SAVER_SCR
set -uo pipefail
scr=$1
. "$(dirname "$0")/saver_lib.sh"
saver_require_session

center_pointer
start saver "$scr" /s
if ! wait_saver saver 30; then
  fail "/s: $why"
  finish
  exit
fi
# Past the precomputation: while it runs, its progress dialog puts a moved pointer
# back in the middle, so a move would not count. The first fern pixels mean it is over.
read -r W H < <(xdpyinfo | awk '/dimensions:/ {split($2, a, "x"); print a[1], a[2]}')
drawing=
for _ in $(seq 1 60); do
  shoot "$work/shot.png"
  read -r count box < <(shot_stats "$work/shot.png")
  rooted_vertical "${count:-0}" "$box" "$W" "$H" && { drawing=1; break; }
  sleep 0.5
done
[ -n "$drawing" ] || fail "no fern drawn within 30 s of the saver's window"

xdotool mousemove_relative -- 2 1
sleep 2
if [ -s "$work/saver.exit" ]; then
  fail "a 3-pixel nudge ended the saver"
else
  pass "a 3-pixel nudge leaves the saver running"
fi

xdotool mousemove_relative -- 10 0
if ! wait_exit saver 15; then
  fail "the saver did not end after a 10-pixel move"
elif [ "$(exit_code saver)" != 0 ]; then
  fail "the saver ended with $(exit_code saver) after a 10-pixel move, expected 0"
else
  pass "a 10-pixel move ends the saver with 0"
fi
finish
