#!/usr/bin/env bash
# Recorded runs of the Linux display mode on a private Xvfb (Mesa llvmpipe):
#   bench/x11_costs.sh cpu MORVESSANTIQUE [WIDTHxHEIGHT]
#     CPU time per second of `morvessantique -fast -root`, and of the X server,
#     over one whole cycle of both ferns after the precomputation (its length from
#     the morvessantique-tool of the same build).
#   bench/x11_costs.sh allocations MORVESSANTIQUE
#     Every allocator call (malloc, calloc, realloc, aligned_alloc,
#     posix_memalign) during 10 s of ticks, caught with gdb, split by whether the
#     call comes from inside the OpenGL driver or from anywhere else.
set -euo pipefail
mode=$1
bin=$2
size=${3:-1920x1080}
tool=$(dirname "$bin")/../tools/morvessantique-tool
[ -x "$tool" ] || { echo "no morvessantique-tool beside $bin: $tool" >&2; exit 1; }
. "$(dirname "$0")/../scripts/xvfb.sh"
work=$(mktemp -d /tmp/morv-x11-costs.XXXXXX)
cleanup() {
  [ -n "${saver:-}" ] && kill "$saver" 2>/dev/null && wait "$saver"
  morv_xvfb_stop
  rm -rf "$work"
}
trap cleanup EXIT
morv_xvfb_start "${size}x24" "$work/xvfb.log"
xvfb=$morv_xvfb_pid

# utime + stime of a process, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

"$bin" -fast -root &
saver=$!
sleep 1  # the precomputation is done well before this
case $mode in
  cpu)
    # Five ticks a generation, one end-of-fern tick and 400 pause ticks per fern, 10 ms a tick.
    read -r vertical horizontal < <("$tool" stats "$size" | awk '{ printf "%s ", $3 }')
    ticks=$(( 5 * vertical + 401 + 5 * horizontal + 401 ))
    hz=$(getconf CLK_TCK)
    s0=$(cpu_ticks "$saver") x0=$(cpu_ticks "$xvfb") t0=$(date +%s%N)
    sleep "$(awk -v t="$ticks" 'BEGIN { print t / 100 }')"
    s1=$(cpu_ticks "$saver") x1=$(cpu_ticks "$xvfb") t1=$(date +%s%N)
    awk -v s=$((s1 - s0)) -v x=$((x1 - x0)) -v hz="$hz" -v ns=$((t1 - t0)) -v t="$ticks" -v size="$size" 'BEGIN {
      wall = ns / 1e9
      printf "%s, one cycle (%d ticks, %.2f s): morvessantique %.3f CPU s per s, Xvfb %.3f CPU s per s\n",
             size, t, wall, s / hz / wall, x / hz / wall }'
    ;;
  allocations)
    printf '%s\n' 'set pagination off' 'break malloc' 'break calloc' 'break realloc' \
      'break aligned_alloc' 'break posix_memalign' 'commands 1-5' 'silent' 'bt' 'continue' 'end' \
      'continue' >"$work/gdb.cmd"
    timeout -s INT 10 gdb -q -p "$saver" -batch -x "$work/gdb.cmd" >"$work/gdb.out" 2>&1 || true
    awk '/^#0 / { if (stack != "") count(); stack = $0; next }
         /^#[0-9]+ / { stack = stack "\n" $0 }
         function count() { if (stack ~ /swrast_dri|libGLX_mesa|libGLX\.so|libOpenGL/) gl++; else { other++; print stack "\n" } }
         END { if (stack != "") count()
               printf "allocator calls in 10 s: %d inside the OpenGL driver, %d elsewhere\n", gl, other }' \
      "$work/gdb.out"
    ;;
esac
