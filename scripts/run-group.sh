# Sourced by the test command: a command run in the background so that nothing it starts
# outlives its end, and no temporary folder of it is left. Beside wine-session.sh, as a
# part of the test command rather than of a test.
#   morv_group_start DIR COMMAND...  runs it in a session and process group of its own,
#                                    with TMPDIR=DIR/tmp and MORV_RUN_DIR=DIR; sets
#                                    morv_group_pid (wait on it)
#   morv_group_end DIR               ends what is left of it, then removes DIR
#   morv_group_run DIR COMMAND...    both, with its exit status; the wait is one that a
#                                    signal to the caller interrupts
#   morv_runs_end RUNS [PID LOG WHAT]  the test command's EXIT trap: ends every group
#                                    under RUNS; shows LOG when PID, the background run
#                                    WHAT, failed or was stopped; removes RUNS; exits
# The scripts make their Wine prefixes, X authority files and scratch folders under
# TMPDIR, so that DIR holds all of them. What leaves the group still has MORV_RUN_DIR in its
# environment: wineserver (a session of its own), a browser started detached. (Not
# TMPDIR: Wine runs without it, see wine-bin/wine.) Safe in a script under set -e, also
# in its EXIT trap.

. "$(dirname "${BASH_SOURCE[0]}")/wine-session.sh"  # morv_wine_end

# Tenths of a second between TERM and KILL.
morv_group_grace=${morv_group_grace:-100}

morv_group_start() {
  local dir=$1
  shift
  mkdir -p "$dir/tmp"
  # setsid forks when it would otherwise lead a group already (-w then waits for the
  # child): the group's number is the one the inner shell reports. The caller's own
  # child is a subshell outside the group, which no KILL reaches, and whose notice of
  # a killed command goes nowhere: the caller gets only the command's status.
  (
    TMPDIR=$dir/tmp MORV_RUN_DIR=$dir setsid -w bash -c 'echo $$ >"$0/pgid" && exec "$@"' "$dir" "$@" </dev/null 2>&3 3>&-
    exit $?
  ) 3>&2 2>/dev/null &
  morv_group_pid=$!
}

# morv_group_members DIR: the live processes that carry the run's MORV_RUN_DIR, and those of
# its group while one of them is still in it: once the group has ended, its number may
# lead another one, which is not ours to end.
morv_group_members() {
  local pgid marked
  marked=$(grep -lszxF "MORV_RUN_DIR=$1" /proc/[0-9]*/environ | while read -r environ; do
    environ=${environ#/proc/}
    grep -qs '^State:[[:space:]]*Z' "/proc/${environ%/environ}/status" || echo "${environ%/environ}"
  done)
  pgid=$(cat "$1/pgid" 2>/dev/null) || pgid=
  {
    [ -z "$pgid" ] || [ -z "$marked" ] ||
      grep -s -H '' /proc/[0-9]*/stat | awk -v group="$pgid" -v marked="$marked" '
        BEGIN { n = split(marked, m, "\n"); for (i = 1; i <= n; i++) ours[m[i]] = 1 }
        { pid = $0; sub(/^\/proc\//, "", pid); sub(/\/.*/, "", pid)
          sub(/^.*\) /, ""); if ($3 == group && $1 != "Z") { members[pid] = 1; if (pid in ours) trusted = 1 } }
        END { if (trusted) for (pid in members) print pid }'
    [ -z "$marked" ] || echo "$marked"
  } | sort -u || true
}

morv_group_end() {
  local dir=$1 left=() i prefix
  [ -d "$dir" ] || return 0
  # TERM first: the scripts' traps end their own servers and remove their folders.
  mapfile -t left < <(morv_group_members "$dir")
  [ ${#left[@]} -eq 0 ] || kill -TERM "${left[@]}" 2>/dev/null || true
  for ((i = 0; i < morv_group_grace && ${#left[@]} > 0; i++)); do
    sleep 0.1
    mapfile -t left < <(morv_group_members "$dir")
  done
  # Each Wine prefix still there has its wineserver, which ends that prefix's programs.
  find "$dir" -name system.reg -printf '%h\n' 2>/dev/null | while read -r prefix; do
    morv_wine_end "$prefix"
  done
  mapfile -t left < <(morv_group_members "$dir")
  if [ ${#left[@]} -gt 0 ]; then
    kill -KILL "${left[@]}" 2>/dev/null || true
    sleep 0.5
  fi
  mapfile -t left < <(morv_group_members "$dir")
  rm -rf "$dir"
  [ ${#left[@]} -eq 0 ] || { echo "processes that would not end: ${left[*]}" >&2; return 1; }
}

morv_group_run() {
  local dir=$1 status=0
  morv_group_start "$@"
  wait "$morv_group_pid" || status=$?
  morv_group_end "$dir" || true
  return "$status"
}

morv_runs_end() {
  local status=$? runs=$1 pid=${2:-} log=${3:-} what=${4:-} dir run_status=0
  # A second Ctrl-C must not cut the clean-up short: it is bounded by its own grace and KILL.
  trap '' INT TERM HUP
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then echo "stopping $what" >&2; fi
  for dir in "$runs"/*/; do
    morv_group_end "${dir%/}" || status=1
  done
  if [ -n "$pid" ]; then
    wait "$pid" 2>/dev/null || run_status=$?
    if [ "$run_status" != 0 ]; then
      echo "$what ended with $run_status; they printed:" >&2
      cat "$log" >&2
    fi
  fi
  rm -rf "$runs"
  exit "$status"
}
