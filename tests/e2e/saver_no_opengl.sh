#!/usr/bin/env bash
# The full-screen saver on a display without OpenGL (an X server with no GLX): the
# pixel-format request fails, the saver shows its one "Error" box, and once the user
# dismisses it the saver ends at once with -1 (no saver window), without a fault.
#   saver_no_opengl.sh SAVER_SCR
set -uo pipefail
scr=$1
. "$(dirname "$0")/saver_lib.sh"
saver_require_session

. "$(dirname "$0")/../../scripts/xvfb.sh"
morv_xvfb_start 800x600x24 "$work/xvfb.log" -extension GLX || exit 1
at_exit morv_xvfb_stop

start saver "$scr" /s
box=
for _ in $(seq 1 300); do
  box=$(xdotool search --onlyvisible --name '^Error$' 2>/dev/null | head -1 || true)
  [ -n "$box" ] || [ -s "$work/saver.exit" ] && break
  sleep 0.1
done
if [ -z "$box" ]; then
  fail "no \"Error\" box appeared (the saver ended with '$(exit_code saver)')"
  finish
  exit
fi
if xdotool search --onlyvisible --name '^Screen Saver$' >/dev/null 2>&1; then
  fail "a saver window is up beside the box"
else
  pass "without OpenGL the saver shows its \"Error\" box and no window"
fi
sleep 1
if [ -s "$work/saver.exit" ]; then
  fail "the saver ended before its box was dismissed"
fi
# As a user would: focus on the box (no window manager here to give it), then Return.
xdotool windowfocus --sync "$box" >/dev/null 2>&1 || true
xdotool key Return
if ! wait_exit saver 15; then
  fail "the saver did not end after its box was dismissed"
elif [ "$(exit_code saver)" != 255 ]; then
  fail "the saver ended with $(exit_code saver) after its box, expected 255 (-1)"
else
  pass "once the box is dismissed the saver ends with -1"
fi
finish
