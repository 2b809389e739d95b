#!/usr/bin/env bash
# missing_helper_test.sh plain|bare|saver|x11...: a test script of each kind (the plain
# library, the prologue alone under set -e with no scratch folder, the Windows saver's
# under Wine, the Linux display mode's on its Xvfb) that calls a helper which no longer
# exists fails, even where it ignores the call's status; the same script with the call
# of a command that exists passes.
. "$(dirname "$0")/strict.sh"
set -e
tests=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/morv-missing-helper.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# run_child CALL: runs the script with that call; its status, its output in $scratch/out.
run_child() {
  printf '. %q\n%s\npass before\n%s || true\npass after\nfinish\n' \
    "$tests/$lib" "$begin" "$1" >"$scratch/child.sh"
  status=0
  bash "$scratch/child.sh" >"$scratch/out" 2>&1 || status=$?
  [ "$status" -ne 77 ] || { cat "$scratch/out"; exit 77; }
}

for kind in "$@"; do
  case $kind in
    plain) lib=support/script_lib.sh begin="script_begin missing-helper" ;;
    bare) lib=support/strict.sh begin="set -e; pass() { :; }; finish() { :; }" ;;
    saver) lib=e2e/saver_lib.sh begin=saver_require_session ;;
    x11) lib=e2e/x11_lib.sh begin="x11_session 64x48" ;;
    *) echo "usage: $0 plain|bare|saver|x11..." >&2; exit 2 ;;
  esac
  run_child true
  [ "$status" -eq 0 ] || { cat "$scratch/out"; echo "FAIL: the $kind script without a missing helper failed ($status)"; exit 1; }
  run_child check_the_deleted_window
  if [ "$status" -ne 0 ] && grep -q 'check_the_deleted_window: command not found' "$scratch/out"; then
    echo "ok: the $kind script that calls a missing helper fails ($status)"
  else
    cat "$scratch/out"
    echo "FAIL: the $kind script that calls a missing helper ended with $status"
    exit 1
  fi
done
