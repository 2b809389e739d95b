#!/usr/bin/env bash
# "/p HWND" as the display settings start it: the saver puts its "Preview" child
# into a parent window of another program, filling the parent's client area,
# ignores input, and ends with 0 when the parent goes. (What the child draws is
# not looked at: Wine shows nothing of a child window that belongs to another
# process, whatever that child paints, so the host reports its children instead.)
#   saver_preview.sh SAVER_SCR TEST_HOST_EXE OUTSIDE_PROBE_EXE
set -uo pipefail
scr=$1
host=$2
probe=$3
. "$(dirname "$0")/saver_lib.sh"
saver_require_session

# The host's window stays until the script closes it (at most 3 minutes).
start host "$host" MorvPreviewHost "Morvessantique preview host" 320 240 180000
for _ in $(seq 1 300); do
  [ -s "$work/host.out" ] || [ -s "$work/host.exit" ] && break
  sleep 0.1
done
hwnd=$(head -1 "$work/host.out" 2>/dev/null | tr -d '\r')
wid=$(wait_window '^Morvessantique preview host$' 20 || true)
if [ -z "$hwnd" ] || [ -z "$wid" ]; then
  fail "the preview host did not come up (exit code '$(exit_code host)'$(said host))"
  finish
  exit
fi
eval "$(xdotool getwindowgeometry --shell "$wid")"
area="${WIDTH}x${HEIGHT}+${X}+${Y}"

start preview "$scr" /p "$hwnd"
wanted="child WindowsScreenSaverClass|Preview|0,0,320,240|ready"
inside=0
for _ in $(seq 1 200); do
  if grep -qF "$wanted" "$work/host.out"; then
    inside=1
    break
  fi
  [ -s "$work/preview.exit" ] && break
  sleep 0.1
done
if [ "$inside" -eq 1 ]; then
  pass "/p puts a Preview child over the parent's whole client area"
else
  fail "/p: no Preview child of 320x240 at 0,0 in the parent (host saw: $(grep child "$work/host.out" | tail -2 | tr '\n' ' '); exit code $(exit_code preview))"
fi
sleep 2  # the first ticks draw

# Input inside the preview: clicks, keys and movement do not end it.
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
sleep 0.2
xdotool click 1
xdotool key space a Return
xdotool mousemove_relative -- 30 20
sleep 2
if [ -s "$work/preview.exit" ]; then
  fail "input ended the preview (exit code $(exit_code preview))"
elif [ "$(grep '^children' "$work/host.out" | tail -1 | tr -d '\r')" != "children 1" ]; then
  fail "the preview child is gone after the input"
else
  pass "the preview survives clicks, keys and mouse movement"
fi

# The host's window goes, and with it the preview.
"$wine" "$probe" close "Morvessantique preview host" >/dev/null
if ! wait_exit preview 40; then
  fail "the preview did not end with its parent"
elif [ "$(exit_code preview)" != 0 ]; then
  fail "the preview ended with $(exit_code preview), expected 0"
else
  pass "the preview ends with 0 when its parent is destroyed"
fi
finish
