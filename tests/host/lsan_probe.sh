#!/usr/bin/env bash
# lsan_probe.sh PROBE
# The sanitizer build's leak check is live: a program that leaks must fail with
# LeakSanitizer's report, under the ASAN_OPTIONS the test command runs with.
. "$(dirname "$0")/../support/strict.sh"
out=$("$1" 2>&1)
rc=$?
if [ "$rc" -ne 0 ] && grep -q 'ERROR: LeakSanitizer: detected memory leaks' <<<"$out"; then
  echo "the leak was reported (exit $rc)"
  exit 0
fi
echo "$out"
echo "FAIL: a leaking program exited $rc without LeakSanitizer's report (ASAN_OPTIONS=${ASAN_OPTIONS:-})"
exit 1
