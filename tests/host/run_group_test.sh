#!/usr/bin/env bash
# The end of a background run of the test command (scripts/run-group.sh), with a stand-in
# ctest that makes a temporary folder and starts a child, one that ignores TERM, and one
# that leaves the group: TERM comes first (the stand-in's trap runs), then nothing is left
# running and no folder is left. And a run's exit status is its command's.
. "$(dirname "$0")/../support/script_lib.sh"
. "$(dirname "$0")/../../scripts/run-group.sh"
script_begin run-group
cat >"$work/ctest" <<'STUB'
out=$1
mktemp -d >"$out/folder"
trap 'echo TERM >"$out/trapped"; exit 143' TERM
sleep 300 &
echo $! >"$out/child"
(trap '' TERM; exec sleep 300) &
echo $! >"$out/stubborn"
setsid sleep 300 &
echo $! >"$out/detached"
echo $$ >"$out/ready"
wait
STUB
morv_group_start "$work/run" bash "$work/ctest" "$work"
wait_file "$work/ready" 10 || fail "the stand-in ctest did not start"
folder=$(cat "$work/folder")
case $folder in "$work/run/tmp/"*) ;; *) fail "its temporary folder $folder is not in the run's" ;; esac
morv_group_end "$work/run" || fail "morv_group_end says something would not end"
[ -s "$work/trapped" ] && pass "TERM first: the stand-in's trap ran" || fail "the stand-in's trap did not run"
for name in ready child stubborn detached; do
  pid=$(cat "$work/$name" 2>/dev/null)
  if [ -n "$pid" ] && alive "$pid"; then
    fail "$name ($pid) still runs"
    kill -KILL "$pid"
  else
    pass "$name ended"
  fi
done
[ ! -e "$work/run" ] && [ ! -e "$folder" ] && pass "the run's folders are gone" ||
  fail "left behind: $(ls -d "$work/run" "$folder" 2>/dev/null)"
status=0
morv_group_run "$work/run2" bash -c 'exit 3' || status=$?
[ "$status" = 3 ] && pass "a run ends with its command's status" || fail "a run that exits 3 gave $status"
finish
