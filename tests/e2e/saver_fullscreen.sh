#!/usr/bin/env bash
# The full-screen saver as Windows starts it: "/s" grows a fern upward from the
# middle of the bottom edge; a second "/s" finds it running and ends with 0 at
# once while the first goes on; a key press ends the first with 0.
#   saver_fullscreen.sh SAVER_SCR
set -uo pipefail
scr=$1
. "$(dirname "$0")/saver_lib.sh"
saver_require_session
read -r W H < <(xdpyinfo | awk '/dimensions:/ {split($2, a, "x"); print a[1], a[2]}')

center_pointer
start first "$scr" /s
if ! wait_saver first 30; then
  fail "/s: $why"
  finish
  exit
fi

# Screenshots until a fern rooted at the bottom middle has grown upward between
# two of them (more fern pixels, a higher top), for at most 45 s.
rooted_count=0 rooted_top=0 grew=0 rooted=0
deadline=$(($(now_ms) + 45000))
i=0
while [ "$(now_ms)" -lt "$deadline" ] && [ "$grew" -eq 0 ]; do
  shoot "$work/shot.png"
  read -r count box < <(shot_stats "$work/shot.png")
  i=$((i + 1))
  if rooted_vertical "${count:-0}" "$box" "$W" "$H"; then
    IFS='x+' read -r _ _ _ by <<<"$box"
    rooted=1
    if [ "$rooted_count" -gt 0 ] && [ "$count" -gt "$rooted_count" ] && [ "$by" -lt "$rooted_top" ]; then
      grew=1
      echo "fern grew from $rooted_count pixels (top $rooted_top) to $count pixels (top $by) after $i shots"
    fi
    rooted_count=$count
    rooted_top=$by
  fi
done
if [ "$grew" -eq 1 ]; then
  pass "/s draws a fern that rises from the bottom middle"
elif [ "$rooted" -eq 1 ]; then
  fail "/s: a fern stood at the bottom middle but was never seen growing"
else
  fail "/s: no fern-coloured pixels rooted at the bottom middle within 45 s"
fi

# A second start while the first runs.
start second "$scr" /s
if ! wait_exit second 20; then
  fail "second /s did not end at once"
elif [ "$(exit_code second)" != 0 ]; then
  fail "second /s ended with $(exit_code second), expected 0"
elif [ -s "$work/first.exit" ]; then
  fail "the first saver ended when the second started"
elif ! xdotool search --onlyvisible --name '^Screen Saver$' >/dev/null 2>&1; then
  fail "the first saver's window is gone after the second start"
else
  pass "a second /s ends with 0 and the first keeps running"
fi

# A key press (the pointer is over the saver, which covers the screen).
xdotool key space
if ! wait_exit first 15; then
  fail "the saver did not end after a key press"
elif [ "$(exit_code first)" != 0 ]; then
  fail "the saver ended with $(exit_code first) after a key press, expected 0"
else
  pass "a key press ends the saver with 0"
fi
finish
