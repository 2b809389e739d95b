#!/usr/bin/env bash
# Command lines that no control panel sends, given to the real saver byte for
# byte (the outside probe starts it with CreateProcessA): handles that are not
# numbers, negative or beyond 32 bits, the handle of another process's window
# that has just been destroyed, tails thousands of bytes long, bytes above 127,
# quotes and switch characters in odd places, several switches at once. Each
# run must end promptly with the exit code the grammar gives it (-1 with
# nothing shown for an unusable line; a preview, full-screen run or
# configuration dialog where the line is a usable one) and no fault.
#   saver_hostile.sh SAVER_SCR TEST_HOST_EXE OUTSIDE_PROBE_EXE
set -uo pipefail
scr=$1
host=$2
probe=$3
. "$(dirname "$0")/saver_lib.sh"
saver_require_session
scr_win=$("$wine" winepath -w "$scr" 2>/dev/null | tr -d '\r')
[ -n "$scr_win" ] || { echo "FAIL: no Windows path for $scr"; exit 1; }

hex() { printf '%s' "$1" | od -An -v -tx1 | tr -d ' \n'; }
repeat() { printf "%${2}s" '' | tr ' ' "$1"; }
faults() { xdotool search --name 'Program Error|Wine Debugger|winedbg' >/dev/null 2>&1; }

# host NAME LIFETIME_MS: a window in a process of its own, titled
# "Morvessantique hostile host NAME"; its handle goes to $hwnd.
# A host that does not report its window (seen once on a busy 64-bit Wine) is
# started a second time, once the first attempt has ended: it is the stage, not
# what is tested, and the second must not read what the first writes late.
host() {
  local i try
  hwnd=
  for try in 1 2; do
    [ "$try" = 1 ] || stop_bg "$1"
    start "$1" "$host" MorvHostileHost "Morvessantique hostile host $1" 120 90 "$2"
    for i in $(seq 1 300); do
      hwnd=$(head -1 "$work/$1.out" 2>/dev/null | tr -d '\r')
      [ -n "$hwnd" ] && return 0
      [ -s "$work/$1.exit" ] && break
      sleep 0.1
    done
    echo "the host $1 did not report its window (exit code '$(exit_code "$1")'$(said "$1"))"
  done
}

# run NAME WHAT [raw] BYTES: starts the saver with the tail BYTES (or, with raw,
# the whole command line BYTES) through the probe, which ends it after 60 s.
run() {
  local name=$1 what=$2
  shift 2
  if [ "$1" = raw ]; then
    start "$name" "$probe" launch "$scr_win" 60000 - "$(hex "$2")"
  else
    start "$name" "$probe" launch "$scr_win" 60000 "$(hex "$1")"
  fi
  echo "$what" >"$work/$name.what"
}

# result NAME: the saver's exit code as the probe reports it, once it is known.
result() {
  local i
  for i in $(seq 1 700); do
    grep -q -E '^(exit|timeout|cannot)' "$work/$1.out" 2>/dev/null && break
    sleep 0.1
  done
  tr -d '\r' <"$work/$1.out" | grep -E '^(exit|timeout|cannot)' | head -1
}

# expect NAME CODE [SHOWN]: the run ended with CODE, no fault dialog came up
# and, unless SHOWN, no window of the saver appeared while it ran.
expect() {
  local name=$1 code=$2 shown=${3:-} seen= got i
  for i in $(seq 1 150); do
    grep -q -E '^(exit|timeout|cannot)' "$work/$name.out" 2>/dev/null && break
    if xdotool search --name '^(Screen Saver|Preview|Morvessantique)$' >/dev/null 2>&1; then seen=1; fi
    sleep 0.1
  done
  got=$(result "$name")
  local what
  what=$(cat "$work/$name.what")
  if [ "$got" != "exit $code" ]; then
    fail "$what: '$got', expected 'exit $code'"
  elif [ -z "$shown" ] && [ -n "$seen" ]; then
    fail "$what: a saver window appeared"
  elif faults; then
    fail "$what: a fault dialog appeared"
  else
    pass "$what: exit $code"
  fi
}

# Unusable lines: -1 at once, nothing shown.
host live 300000
live=$hwnd
host gone 1500
gone=$hwnd
wait_exit gone 20 || fail "the short-lived host did not end"
[ -n "$live" ] && [ -n "$gone" ] || { fail "no host windows"; finish; exit; }
i=0
while IFS='|' read -r what tail; do
  i=$((i + 1))
  run "bad$i" "$what" "$tail"
  expect "bad$i" -1
done <<EOF
/p with a handle that is not a number|/p abc
/p with a negative handle|/p -$live
/p with 2^64, which wraps to 0|/p 18446744073709551616
/p with a window of another process that has just been destroyed|/p $gone
a tail of 4000 bytes after an unknown switch|/x$(repeat A 4000)
a first byte above 127|$(printf '\351')/s
/p followed by bytes above 127|/p $(printf '\262\271')$live
a quoted switch|"/s"
a tab between separator and switch|/$(printf '\t')s
a colon right after /p|/p:$live
several switches, the first unusable|/p 0 /s /c:$live /a $live
/a off the Windows 9x family, with more switches|-a /s $live
EOF

# Usable lines that look odd: the grammar's own outcome, no fault.
# A handle beyond 32 bits that wraps to a live window, one behind 3000 zeros,
# and a preview switch after a mix of separators with another switch behind it.
# Once the preview runs inside its host (made, and its process waiting for input),
# the host is closed, and the preview must end with it.
for i in 1 2 3; do
  host "phost$i" 180000
  case $i in
    1) what="/p with the host's handle plus 2^32" tail="/p $((hwnd + 4294967296))" ;;
    2) what="/p with 3000 leading zeros" tail="/p $(repeat 0 3000)$hwnd" ;;
    3) what="separators, then l and a handle, then /s" tail="-/ -L$hwnd /s" ;;
  esac
  run "preview$i" "$what" "$tail"
  ok=
  for _ in $(seq 1 150); do
    grep -q '^child WindowsScreenSaverClass|Preview|.*|ready' "$work/phost$i.out" 2>/dev/null &&
      { ok=1; break; }
    sleep 0.1
  done
  [ -n "$ok" ] || fail "$what: no preview running inside the host: $(grep child "$work/phost$i.out" | tail -1)"
  "$wine" "$probe" close "Morvessantique hostile host phost$i" >/dev/null
  expect "preview$i" 0 shown
done

# A program name whose opening quote is never closed leaves an empty tail: the
# configuration dialog, closed with its OK button.
run config "an unclosed quote around the program name" raw "\"$scr_win /p 0"
if wait_window '^Morvessantique$' 30 >/dev/null; then
  "$wine" "$probe" click Morvessantique 1 >/dev/null
  expect config 1 shown
else
  fail "an unclosed quote: no configuration dialog"
fi

# Several switches and a long tail behind /s: the full-screen saver, ended by a key.
center_pointer
run full "/s followed by other switches and 3000 more bytes" "/s /p $live /c /a $(repeat x 3000)"
if wait_window '^Screen Saver$' 30 >/dev/null; then
  for _ in $(seq 1 10); do
    grep -q '^exit' "$work/full.out" 2>/dev/null && break
    sleep 3
    xdotool key space
  done
  expect full 0 shown
else
  fail "/s with more switches: no full-screen window"
fi
finish
