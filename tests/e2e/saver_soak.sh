#!/usr/bin/env bash
# The full-screen saver left running with "Fast Madness" on (a tick every 10 ms).
# Every 10 s it samples the saver's Wine process: resident and virtual size from
# /proc, and from the probe its GDI and USER object counts (GetGuiResources; Wine
# answers 0 for both), its kernel handles and its windows. It fails when any of
# them keeps growing after the first fern cycle: once the first 30 s are past
# (at 1024x768 one cycle of both ferns takes about 1,060 ticks), the peak of the
# later half of the samples must not exceed the peak of the earlier half by more
# than a small allowance. It also fails when the saver faults or ends early.
#   saver_soak.sh SAVER_SCR OUTSIDE_PROBE_EXE [SECONDS]   (default 120)
# MORV_SOAK_LOG=FILE keeps the samples and the summary.
set -uo pipefail
scr=$1
probe=$2
seconds=${3:-120}
. "$(dirname "$0")/saver_lib.sh"
saver_require_session
key='HKCU\Software\Quillane\Morvessantique'
warmup_s=30
[ "$seconds" -ge $((warmup_s + 40)) ] || { echo "FAIL: a soak needs at least $((warmup_s + 40)) s"; exit 1; }

# saver_unix_pid NAME: the Linux process of the Windows program started as NAME: the
# process Wine's loader became, or one below it, whose command line names the .scr.
saver_unix_pid() {
  local first p
  first=$(cat "$work/$1.pid") || return 1
  for p in "$first" $(descendants "$first"); do
    if readlink "/proc/$p/exe" 2>/dev/null | grep -q 'wine' &&
       tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null | grep -q 'Morvessantique\.scr'; then
      echo "$p"
      return 0
    fi
  done
  return 1
}

"$wine" reg add "$key" /v 'Fast Madness' /t REG_BINARY /d 01 /f >/dev/null 2>&1
restore_setting() { "$wine" reg delete "$key" /v 'Fast Madness' /f >/dev/null 2>&1 || true; }
at_exit restore_setting

center_pointer
start soak "$scr" /s
if ! wait_window '^Screen Saver$' 30 >/dev/null; then
  fail "/s: no full-screen window appeared"
  finish
  exit
fi
upid=
for _ in $(seq 1 50); do
  upid=$(saver_unix_pid soak) && break
  sleep 0.1
done
[ -n "$upid" ] || { fail "the saver's Wine process was not found"; finish; exit; }

samples="$work/samples"
echo "t_s rss_kb vsz_kb gdi user handles windows" >"$samples"
t0=$(now_ms)
next=0
ended=
while :; do
  now=$(now_ms)
  if [ $((now - t0)) -ge $((next * 1000)) ]; then
    if [ -s "$work/soak.exit" ] || [ ! -r "/proc/$upid/status" ]; then
      ended=1
      break
    fi
    rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$upid/status")
    vsz=$(awk '/^VmSize:/ {print $2}' "/proc/$upid/status")
    read -r _ gdi _ user _ handles _ windows < <("$wine" "$probe" gui WindowsScreenSaverClass | tr -d '\r')
    echo "$next ${rss:-?} ${vsz:-?} ${gdi:-?} ${user:-?} ${handles:-?} ${windows:-?}" >>"$samples"
    [ "$next" -ge "$seconds" ] && break
    next=$((next + 10))
  fi
  sleep 0.5
done
cat "$samples"

if [ -n "$ended" ]; then
  fail "the saver ended after about $(((now - t0) / 1000)) s (exit $(exit_code soak)), before the soak was over"
fi
if xdotool search --name 'Program Error|Wine Debugger|winedbg' >/dev/null 2>&1; then
  fail "a fault dialog appeared"
fi

# metric column, allowance: the later half's peak against the earlier half's.
check_metric() {
  local name=$1 col=$2 allowance=$3 result
  result=$(awk -v c="$col" -v w="$warmup_s" -v a="$allowance" '
    NR > 1 { v[NR] = $c; t[NR] = $1; last = NR }
    NR == 2 { start = $c }
    END {
      for (i = 2; i <= last; i++) { if (v[i] > peak || i == 2) peak = v[i]; if (t[i] >= w) idx[++n] = i }
      half = int(n / 2)
      for (k = 1; k <= n; k++) { x = v[idx[k]]; if (k <= half) { if (k == 1 || x > p1) p1 = x } else { if (k == half + 1 || x > p2) p2 = x } }
      bad = (n >= 4 && p2 > p1 + a) ? 1 : 0
      printf "%d start %s end %s peak %s (after the first cycle: earlier peak %s, later peak %s)\n", bad, start, v[last], peak, p1, p2
    }' "$samples")
  echo "$name: ${result#? }"
  [ -n "${MORV_SOAK_LOG:-}" ] && echo "$name: ${result#? }" >>"$MORV_SOAK_LOG"
  if [ "${result%% *}" = 1 ]; then
    fail "$name keeps growing after the first fern cycle"
  else
    pass "$name does not keep growing"
  fi
}
[ -n "${MORV_SOAK_LOG:-}" ] && cp "$samples" "$MORV_SOAK_LOG"
check_metric "resident size (KiB)" 2 1024
check_metric "virtual size (KiB)" 3 4096
check_metric "GDI objects" 4 2
check_metric "USER objects" 5 2
check_metric "kernel handles" 6 2
check_metric "windows" 7 0

if [ -z "$ended" ]; then
  xdotool key space
  if ! wait_exit soak 20; then
    fail "the saver did not end within 20 s of a key press"
  elif [ "$(exit_code soak)" != 0 ]; then
    fail "the saver ended with $(exit_code soak), expected 0"
  else
    pass "a key press ends the saver with 0 after the soak"
  fi
fi
finish
