#!/usr/bin/env bash
# "Fast Madness" shortens the tick from 50 ms to 10 ms. The ticks are counted by
# how fast the first fern grows on the full screen (one depth level per tick):
# timed from the first fern-coloured pixels to the finished fern, once with the
# setting off and once on, in the same session. Five times as many ticks per
# second must make the growth clearly shorter. Comparing the two runs needs no
# absolute timing, so a slow machine slows both alike; a run whose drawing
# cannot keep up with 10 ms ticks still grows at least twice as fast.
#   saver_fast_madness.sh SAVER_SCR
set -uo pipefail
scr=$1
. "$(dirname "$0")/saver_lib.sh"
saver_require_session
key='HKCU\Software\Quillane\Morvessantique'

# growth_ms NAME: runs the saver and prints the growth time of its first fern in ms.
growth_ms() {
  local name=$1 t t0= count max=0 tmax= samples="$work/$1.samples"
  center_pointer
  start "$name" "$scr" /s
  if ! wait_saver "$name" 30; then
    echo "$name run: $why" >&2
    return 1
  fi
  : >"$samples"
  local deadline=$(($(now_ms) + 40000))
  while [ "$(now_ms)" -lt "$deadline" ]; do
    shoot "$work/$name.png"
    t=$(now_ms)
    read -r count _ < <(shot_stats "$work/$name.png")
    count=${count:-0}
    echo "$t $count" >>"$samples"
    if [ -z "$t0" ]; then
      [ "$count" -gt 0 ] && t0=$t
      continue
    fi
    if [ "$count" -gt "$max" ]; then
      max=$count
      tmax=$t
    elif [ "$count" -lt $((max / 2)) ]; then
      break  # cleared for the other fern
    elif [ $((t - tmax)) -gt 3000 ]; then
      break  # no growth for 3 s: the pause after the finished fern
    fi
  done
  xdotool key space
  wait_exit "$name" 15 || true
  [ -n "$t0" ] && [ "$max" -gt 0 ] || return 1
  # The fern is finished at the first sample that reaches 97 % of its largest count.
  tmax=$(awk -v t0="$t0" -v m="$max" '$1 >= t0 && $2 * 100 >= m * 97 { print $1; exit }' "$samples")
  echo $((tmax - t0))
}

"$wine" reg add "$key" /v "Fast Madness" /t REG_BINARY /d 00 /f >/dev/null 2>&1
normal=$(growth_ms normal || true)
"$wine" reg add "$key" /v "Fast Madness" /t REG_BINARY /d 01 /f >/dev/null 2>&1
fast=$(growth_ms fast || true)
"$wine" reg delete "$key" /v "Fast Madness" /f >/dev/null 2>&1 || true

echo "first fern grew in ${normal:-?} ms at the normal tick and ${fast:-?} ms with Fast Madness"
if [ -z "$normal" ] || [ -z "$fast" ]; then
  fail "could not time both runs"
elif [ "$normal" -lt 2000 ]; then
  fail "the normal run grew in $normal ms: too fast for 50 ms ticks"
elif [ $((fast * 2)) -ge "$normal" ]; then
  fail "Fast Madness did not speed the ticks up enough ($fast ms against $normal ms)"
else
  pass "Fast Madness grows the fern in $fast ms against $normal ms"
fi
for n in normal fast; do
  [ "$(exit_code "$n")" = 0 ] || fail "the $n run ended with '$(exit_code "$n")', expected 0"
done
finish
