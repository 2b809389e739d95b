#!/usr/bin/env bash
# The end of the test command's background runs (scripts/run-group.sh), with a stand-in
# ctest that makes a temporary folder and a Wine prefix, and starts a child, one that
# ignores TERM, and one that leaves the group; and a stand-in wineserver.
#   end      TERM first (the stand-in's trap runs), wineserver -k for the run's prefix,
#            then nothing left running and no folder left
#   stale    a group number left from a run that ended, now another group's: untouched
#   status   a run's exit status is its command's
#   failed   the test command ends after another suite failed, and the run had failed:
#            its log is shown, the command fails, no folder left
#   twice    two TERMs, the second during the clean-up: the clean-up still ends it all
. "$(dirname "$0")/../support/script_lib.sh"
group_lib=$(cd "$(dirname "$0")/../../scripts" && pwd)/run-group.sh
. "$group_lib"
script_begin run-group
morv_group_grace=20
mkdir "$work/bin"
printf '#!/bin/sh\necho "$WINEPREFIX $*" >>%q/wineserver.log\n' "$work" >"$work/bin/wineserver"
chmod +x "$work/bin/wineserver"
export PATH=$work/bin:$PATH
cat >"$work/ctest" <<'STUB'
out=$1
mkdir -p "$out"
mktemp -d >"$out/folder"
mkdir "$TMPDIR/prefix" && touch "$TMPDIR/prefix/system.reg"
trap 'echo TERM >"$out/trapped"; exit 143' TERM
sleep 300 &
echo $! >"$out/child"
(trap '' TERM; exec sleep 300) &
echo $! >"$out/stubborn"
env -u TMPDIR setsid sleep 300 &  # as Wine is started: without TMPDIR
echo $! >"$out/detached"
echo $$ >"$out/ready"
wait
STUB

# all_ended OUT RUN: the stand-in's processes and folders, and RUN, are gone.
all_ended() {
  local name pid
  for name in ready child stubborn detached; do
    pid=$(cat "$1/$name" 2>/dev/null)
    if [ -n "$pid" ] && alive "$pid"; then
      fail "$case: $name ($pid) still runs"
      kill -KILL "$pid"
    fi
  done
  [ ! -e "$2" ] && [ ! -e "$(cat "$1/folder")" ] || fail "$case: left behind: $(ls -d "$2" "$(cat "$1/folder")" 2>/dev/null)"
}

# command_child RUN...: a test command that runs the stand-in ctest in the background and
# ends with morv_runs_end, as scripts/test.sh does, then RUN...
command_child() {
  printf '%s\n' ". $(printf %q "$group_lib")" "morv_group_grace=20" "runs=$work/$case" 'bg=' \
    "trap 'morv_runs_end \"\$runs\" \"\$bg\" \"\$runs.log\" \"the stand-in\"' EXIT" \
    "trap 'exit 143' TERM" "$@" >"$work/$case.sh"
  run_bg "$case" bash "$work/$case.sh"
}

for case in end stale status failed twice; do
  failed_before=$failures
  case $case in
    end)
      morv_group_start "$work/run" bash "$work/ctest" "$work/end"
      wait_file "$work/end/ready" 10 || fail "end: the stand-in ctest did not start"
      case $(cat "$work/end/folder") in "$work/run/tmp/"*) ;; *) fail "end: its temporary folder is not in the run's" ;; esac
      morv_group_end "$work/run" || fail "end: morv_group_end says something would not end"
      [ -s "$work/end/trapped" ] || fail "end: the stand-in's trap did not run"
      grep -qxF "$work/run/tmp/prefix -k" "$work/wineserver.log" || fail "end: no wineserver -k for the run's prefix"
      all_ended "$work/end" "$work/run" ;;
    stale)
      mkdir -p "$work/stale/tmp"
      setsid sleep 300 &
      stranger=$!
      wait_file "/proc/$stranger/stat" 5
      echo "$stranger" >"$work/stale/pgid"
      morv_group_end "$work/stale"
      alive "$stranger" || fail "stale: another group under the old number was ended"
      { kill -KILL "$stranger"; wait "$stranger"; } 2>/dev/null ;;
    status)
      status=0
      morv_group_run "$work/run2" bash -c 'exit 3' || status=$?
      [ "$status" = 3 ] || fail "status: a run that exits 3 gave $status" ;;
    failed)
      command_child 'morv_group_start "$runs/bg" bash -c "echo printed-by-the-run; exit 3" >"$runs.log"' \
        'bg=$morv_group_pid' 'sleep 0.5' 'exit 1'
      wait_exit failed 20 || fail "failed: the command did not end"
      [ "$(exit_code failed)" = 1 ] || fail "failed: the command ended with $(exit_code failed)"
      grep -q printed-by-the-run "$work/failed.err" || fail "failed: the run's log was not shown"
      [ ! -e "$work/failed" ] || fail "failed: its run folder is left" ;;
    twice)
      command_child "morv_group_start \"\$runs/bg\" bash $(printf %q "$work/ctest") $(printf %q "$work/twice-ctest")" \
        'bg=$morv_group_pid' 'sleep 300 & wait $!'
      wait_file "$work/twice-ctest/ready" 10 || fail "twice: the stand-in ctest did not start"
      kill -TERM "$(cat "$work/twice.pid")"
      wait_file "$work/twice-ctest/trapped" 10 || fail "twice: the clean-up did not send TERM"
      kill -TERM "$(cat "$work/twice.pid")"
      wait_exit twice 30 || fail "twice: the command did not end"
      all_ended "$work/twice-ctest" "$work/twice" ;;
  esac
  [ "$failures" != "$failed_before" ] || pass "$case"
done
finish
