# Shared by the test scripts (sourced): checks counted as they pass or fail, programs
# run in the background and waited for, and their end. Needs nothing beyond bash,
# coreutils and /proc (no procps).
#   script_begin NAME         a scratch folder $work ($TMPDIR/morv-NAME.*) and an EXIT trap
#                             that ends every program run_bg started, runs the at_exit
#                             steps and removes $work (kept when MORV_E2E_KEEP is set)
#   at_exit COMMAND           one more step for that trap (eval'd, last added runs first;
#                             a step that fails makes the script fail)
#   pass WHAT, fail WHAT      count a check; finish: the counts, and status 1 on a failure
#   run_bg NAME COMMAND...    runs it in the background: $work/NAME.out, .err, .pid, and
#                             .exit with its exit code once it has ended
#   wait_file FILE SECONDS    0 once FILE has content
#   wait_exit NAME SECONDS    0 once the program started as NAME has ended
#   stop_bg NAME              ends it (and what it started) now
#   exit_code NAME, said NAME its exit code; the last lines of its stderr, for messages
#   now_ms                    wall-clock milliseconds
# A call to a command that does not exist fails the script (strict.sh).

. "$(dirname "${BASH_SOURCE[0]}")/strict.sh"

failures=0
passes=0
pids=()
exit_steps=()

script_begin() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/morv-$1.XXXXXX")
  morv_marks=$work
  trap script_end EXIT
}

at_exit() { exit_steps=("$1" "${exit_steps[@]}"); }

pass() { echo "ok: $*"; passes=$((passes + 1)); }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
finish() {
  commands_found || fail "commands not found: $(sort -u "$morv_marks/.commands-not-found" | tr '\n' ' ')"
  echo "$passes passed, $failures failed"
  [ "$failures" -eq 0 ]
}

# commands_found: false once the script called a command that does not exist.
commands_found() { [ ! -s "${morv_marks:-}/.commands-not-found" ]; }

run_bg() {
  local name=$1
  shift
  rm -f "$work/$name.exit" "$work/$name.pid"
  # The watching subshell holds none of the caller's files: a run_bg inside $(...)
  # must not keep that capture open until the program ends.
  (
    "$@" >"$work/$name.out" 2>"$work/$name.err" &
    echo $! >"$work/$name.pid"
    # Recorded also when the caller runs under set -e, which a failing program
    # would otherwise end first.
    status=0
    wait $! || status=$?
    echo "$status" >"$work/$name.exit"
  ) </dev/null >/dev/null 2>&1 &
  pids+=($!)
  wait_file "$work/$name.pid" 5
}

wait_file() {
  local i
  for ((i = 0; i < $2 * 10; i++)); do
    [ -s "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

wait_exit() { wait_file "$work/$1.exit" "$2"; }

exit_code() { cat "$work/$1.exit" 2>/dev/null; }

said() {
  if [ -s "$work/$1.err" ]; then
    printf '; it said: %s' "$(tail -n 3 "$work/$1.err" | tr '\n' ' ')"
  fi
}

now_ms() { date +%s%3N; }

# descendants PID...: every process below them, from /proc.
descendants() {
  grep -s -H '^PPid:' /proc/[0-9]*/status | awk -v roots="$*" '
    { split($1, path, "/"); children[$2] = children[$2] " " path[3] }
    END {
      n = split(roots, queue, " ")
      for (i = 1; i <= n; i++) {
        m = split(children[queue[i]], found, " ")
        for (k = 1; k <= m; k++) { print found[k]; queue[++n] = found[k] }
      }
    }'
}

# alive PID: running, not a zombie.
alive() { [ -e "/proc/$1" ] && ! grep -qs '^State:[[:space:]]*Z' "/proc/$1/status"; }

# end_processes PID...: ends them and everything below them: SIGTERM, then SIGKILL
# after 5 s. One that outlives both is said out loud, and the status is 1.
end_processes() {
  local all=() left=() p i
  [ $# -eq 0 ] && return 0
  mapfile -t all < <(descendants "$@")
  all+=("$@")
  kill -TERM "${all[@]}" 2>/dev/null
  for ((i = 0; i < 50; i++)); do
    left=()
    for p in "${all[@]}"; do alive "$p" && left+=("$p"); done
    [ ${#left[@]} -eq 0 ] && return 0
    sleep 0.1
  done
  kill -KILL "${left[@]}" 2>/dev/null
  sleep 0.5
  for p in "${left[@]}"; do
    alive "$p" && echo "FAIL: process $p ($(tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null)) did not end"
  done
  ! alive_any "${left[@]}"
}

alive_any() {
  local p
  for p in "$@"; do alive "$p" && return 0; done
  return 1
}

# stop_bg NAME: ends the program run_bg started as NAME, and what it started, before
# anything else uses that name.
stop_bg() {
  local pid
  pid=$(cat "$work/$1.pid" 2>/dev/null) || return 0
  end_processes "$pid"
}

script_end() {
  local status=$? step
  end_processes "${pids[@]}" || status=1
  for step in "${exit_steps[@]}"; do eval "$step" || status=1; done
  # Also when the script ended without its finish, or skipped (77) after one.
  [ "$status" -eq 1 ] || commands_found || { echo "FAIL: commands not found: $(sort -u "$morv_marks/.commands-not-found" | tr '\n' ' ')"; status=1; }
  if [ -n "${MORV_E2E_KEEP:-}" ]; then
    echo "kept $work"
  else
    rm -rf "$work"
  fi
  exit "$status"
}
