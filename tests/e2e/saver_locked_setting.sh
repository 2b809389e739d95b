#!/usr/bin/env bash
# The configuration dialog when the setting's key cannot be written: the key
# HKCU\Software\Quillane\Morvessantique exists but its security descriptor lets
# nobody write it. Checking "Fast Madness" still asks for confirmation; after
# Yes the store fails, which only the writer's result says: no message, the
# box stays as the user left it, the dialog stays usable and closes with OK
# (exit code 1). Nothing was stored, so the next dialog shows the box clear.
#   saver_locked_setting.sh SAVER_SCR OUTSIDE_PROBE_EXE
set -uo pipefail
scr=$1
probe=$2
. "$(dirname "$0")/saver_lib.sh"
saver_require_session
key='HKCU\Software\Quillane\Morvessantique'
box=1003

probe() { "$wine" "$probe" "$@" 2>/dev/null | tr -d '\r'; }
stored() { "$wine" reg query "$key" /v 'Fast Madness' >/dev/null 2>&1 && echo yes || echo no; }
gone_within() {  # gone_within REGEX SECONDS
  local i
  for i in $(seq 1 $(($2 * 10))); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

"$wine" reg delete "$key" /f >/dev/null 2>&1
if [ "$(probe lock-setting; echo $?)" != 0 ]; then
  echo "FAIL: cannot lock the setting's key"
  exit 1
fi
at_exit 'probe unlock-setting >/dev/null'
if "$wine" reg add "$key" /v 'Fast Madness' /t REG_BINARY /d 01 /f >/dev/null 2>&1; then
  echo "FAIL: the locked key still takes a value"
  exit 1
fi

start config "$scr" /c
if ! wait_window '^Morvessantique$' 30 >/dev/null; then
  fail "/c: no configuration dialog"
  finish
  exit
fi
[ "$(probe checked Morvessantique $box)" = 0 ] || fail "the box starts checked"

# Check the box and confirm: the write fails.
probe click Morvessantique $box >/dev/null
if wait_window '^Dialog$' 15 >/dev/null; then
  probe click Dialog 6 >/dev/null  # IDYES
  gone_within '^Dialog$' 10 || fail "the confirmation did not close on Yes"
  sleep 1
  if xdotool search --onlyvisible --name '^(Error|Dialog|Program Error)$' >/dev/null 2>&1; then
    fail "a message appeared after the failed store"
  fi
  [ "$(probe checked Morvessantique $box)" = 1 ] || fail "the box did not stay checked after Yes"
  [ "$(stored)" = no ] || fail "a value was stored in the locked key"
  pass "a failed store shows nothing and leaves the box as the user chose"
else
  fail "checking the box asked nothing"
fi

# Still usable: clearing asks nothing, and OK closes the dialog with 1.
probe click Morvessantique $box >/dev/null
sleep 1
if xdotool search --onlyvisible --name '^Dialog$' >/dev/null 2>&1; then
  fail "clearing the box asked for confirmation"
fi
[ "$(probe checked Morvessantique $box)" = 0 ] || fail "the box did not clear"
probe click Morvessantique 1 >/dev/null
if ! wait_exit config 15; then
  fail "OK did not close the dialog"
elif [ "$(exit_code config)" != 1 ]; then
  fail "the dialog ended with $(exit_code config), expected 1"
else
  pass "the dialog stays usable and OK ends it with 1"
fi

# The next dialog reads the setting as off.
start again "$scr" /c
if wait_window '^Morvessantique$' 30 >/dev/null; then
  [ "$(probe checked Morvessantique $box)" = 0 ] && pass "the next dialog shows the box clear" ||
    fail "the next dialog shows the box checked"
  probe click Morvessantique 1 >/dev/null
  wait_exit again 15 || fail "the second dialog did not close"
else
  fail "/c: no second configuration dialog"
fi
finish
