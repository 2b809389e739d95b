#!/usr/bin/env bash
# Unusable command lines, windows and displays: one line on stderr naming the
# program, nothing on stdout, exit 2 (1 for no display), and nothing drawn; and a
# display that never answers, where SIGTERM still ends the program.
#   x11_bad_options.sh MORVESSANTIQUE X11_TEST_WINDOW
set -uo pipefail
bin=$1
testwin=$2
. "$(dirname "$0")/x11_lib.sh"
x11_session 320x240

# A window id that was real a moment ago.
run_bg gone "$testwin" 50 50 0 0
wait_file "$work/gone.out" 5
dead=$(head -1 "$work/gone.out")
kill "$(cat "$work/gone.pid")"
wait_file "$work/gone.exit" 5

# expect CODE [VAR=VALUE|-u VAR] -- ARGS...
expect() {
  local code=$1 env_args=()
  shift
  while [ "$1" != -- ]; do env_args+=("$1"); shift; done
  shift
  # Bounded: a program that keeps running on a command line it should refuse fails (124).
  timeout -k 2 10 env "${env_args[@]}" "$bin" "$@" >"$work/out" 2>"$work/err" </dev/null
  local rc=$? what="${env_args[*]} $*"
  if [ "$rc" -ne "$code" ]; then
    fail "[$what] exit $rc, expected $code: $(head -2 "$work/err")"
  elif [ -s "$work/out" ]; then
    fail "[$what] wrote to stdout"
  elif [ "$(wc -l <"$work/err")" -ne 1 ] || ! grep -q '^morvessantique: ' "$work/err"; then
    fail "[$what] stderr is not one line: $(cat "$work/err")"
  else
    pass "[$what] exit $code: $(cat "$work/err")"
  fi
}

expect 2 -- -bogus
expect 2 -- --window-id
expect 2 -- -window-id 12abc
expect 2 -- -window-id 0
expect 2 -- -window-id 0x100000000
expect 2 -- -root -window-id 12
expect 2 -- -window-id "$dead"
expect 2 XSCREENSAVER_WINDOW=nonsense -- -root
expect 2 XSCREENSAVER_WINDOW="$dead" -- --root
expect 1 -u DISPLAY -- -root
expect 1 DISPLAY=:1999 -- -fast

# A display that takes the connection and never answers: the program waits in
# XOpenDisplay, where it cannot look for the signal: its default course ends it.
run_bg mute python3 -c '
import socket
server = socket.socket()
for n in range(150, 250):
    try:
        server.bind(("127.0.0.1", 6000 + n))
        break
    except OSError:
        pass
server.listen(1)
print(n, flush=True)
client, _ = server.accept()
print("connected", flush=True)
while client.recv(4096):
    pass
'
wait_file "$work/mute.out" 5
run_bg stuck env DISPLAY="127.0.0.1:$(head -1 "$work/mute.out")" "$bin" -root
for ((i = 0; i < 100; i++)); do grep -q connected "$work/mute.out" && break; sleep 0.1; done
kill -TERM "$(cat "$work/stuck.pid")"
ended_with stuck 143 "SIGTERM while the display does not answer (its default course)"

stats=$(fern_shot "$work/after.png")
[ "${stats%% *}" = 0 ] && pass "nothing drawn" || fail "something was drawn: $stats"
finish
