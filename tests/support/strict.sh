# The prologue every test script sources first. A pipeline fails with any of its
# commands, an unset variable is an error, and a call to a command or helper that does
# not exist fails the script, also where its status is not looked at (`helper || true`,
# `x=$(helper)`, a check's condition): such a call says so on stderr and leaves a mark
# in the script's scratch folder $work, which script_lib.sh's finish and end read. The
# handler runs in a subshell of its own, so a file is the one way back. Scripts without
# a scratch folder of script_lib.sh's run under set -e as well, where a missing command
# ends them at once.
set -uo pipefail

command_not_found_handle() {
  echo "FAIL: $1: command not found" >&2
  if [ -d "${work:-}" ]; then echo "$1" >>"$work/.commands-not-found"; fi
  return 127
}
