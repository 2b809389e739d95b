#!/usr/bin/env bash
# Unusable command lines end with -1 (255 here) and show no window: "/p 0",
# "/p:HWND" (the colon ends the number at once), "/x", and "/p" of a window that
# does not exist.
#   saver_bad_switches.sh SAVER_SCR TEST_HOST_EXE
set -uo pipefail
scr=$1
host=$2
. "$(dirname "$0")/saver_lib.sh"
saver_require_session

start host "$host" MorvBadSwitchHost "Morvessantique bad switch host" 120 90 60000
for _ in $(seq 1 100); do
  [ -s "$work/host.out" ] && break
  sleep 0.1
done
hwnd=$(head -1 "$work/host.out" 2>/dev/null | tr -d '\r')
[ -n "$hwnd" ] || hwnd=65636

n=0
for args in "/p 0" "/p:$hwnd" "/x" "/p 4294967295"; do
  n=$((n + 1))
  # shellcheck disable=SC2086  # the switch and its operand are separate words
  start "bad$n" "$scr" $args
  seen=
  for _ in $(seq 1 200); do
    [ -s "$work/bad$n.exit" ] && break
    if xdotool search --name '^(Screen Saver|Preview)$' >/dev/null 2>&1; then seen=1; fi
    sleep 0.1
  done
  if [ ! -s "$work/bad$n.exit" ]; then
    fail "'$args' did not end within 20 s"
  elif [ "$(exit_code "bad$n")" != 255 ]; then
    fail "'$args' ended with $(exit_code "bad$n"), expected 255 (-1)"
  elif [ -n "$seen" ]; then
    fail "'$args' showed a saver window"
  else
    pass "'$args' ends with -1 and shows nothing"
  fi
done
finish
