# The prologue every test script sources first. A pipeline fails with any of its
# commands, an unset variable is an error, and a call to a command or helper that does
# not exist fails the script, also where its status is not looked at (`helper || true`,
# `x=$(helper)`, a check's condition): such a call says so on stderr. The handler runs
# in a subshell of its own, so it cannot change the script's state: in a script with
# script_lib.sh's scratch folder ($morv_marks, set by script_begin) it leaves a mark
# there, which finish and the exit trap read; in any other script it sends the script
# SIGTERM, which ends it (status 143) through its EXIT trap.
set -uo pipefail

command_not_found_handle() {
  echo "FAIL: $1: command not found" >&2
  if [ -d "${morv_marks:-}" ]; then
    echo "$1" >>"$morv_marks/.commands-not-found"
  else
    kill -TERM "$$"
  fi
  return 127
}
