#!/usr/bin/env bash
# tool_test.sh --host|--windows "TOOL COMMAND" VERSION
# Runs morvessantique-tool from outside as a user would. The command is word-split,
# so it may start with an emulator (the Windows build runs under Wine). The
# Windows build has no `png`: there it must be refused as a usage error.
set -u
mode=$1
read -r -a tool <<<"$2"
version=$3
. "$(dirname "$0")/../support/script_lib.sh"
script_begin tool-test
tmp=$work

# run ARGS...: the tool's stdout, stderr and exit code in $tmp/out, $tmp/err, $rc.
run() {
  local try
  for try in 1 2; do
    "${tool[@]}" "$@" >"$tmp/out" 2>"$tmp/err"
    rc=$?
    # Wine's own client losing its server as the program starts says nothing of
    # the tool (seen once in a few sessions, as exit 1): once more.
    grep -q '^wine client error' "$tmp/err" || break
  done
}

# One line on stderr naming the tool (Wine may add its own lines on Windows).
one_error_line() {
  local ours
  ours=$(grep -c '^morvessantique-tool: ' "$tmp/err")
  if [ "$mode" = --host ]; then
    [ "$(wc -l <"$tmp/err")" -eq 1 ] && [ "$ours" -eq 1 ]
  else
    [ "$ours" -eq 1 ]
  fi
}

expect_usage_error() {
  run "$@"
  if [ "$rc" -ne 2 ]; then
    fail "[$*] exit $rc, expected 2; it said: $(head -c 300 "$tmp/err")"
  elif [ -s "$tmp/out" ]; then
    fail "[$*] wrote to stdout"
  elif ! one_error_line; then
    fail "[$*] stderr is not one error line: $(cat "$tmp/err")"
  else
    pass "[$*] usage error"
  fi
}

expect_ok() {
  run "$@"
  if [ "$rc" -ne 0 ]; then
    fail "[$*] exit $rc: $(cat "$tmp/err")"
  elif [ -s "$tmp/err" ] && [ "$mode" = --host ]; then
    fail "[$*] wrote to stderr: $(cat "$tmp/err")"
  else
    pass "[$*] exit 0"
  fi
}

# --- help ---------------------------------------------------------------------------------
expect_ok --help
grep -q '^  trace WIDTHxHEIGHT TICKS \[--fast\]$' "$tmp/out" || fail "--help lacks trace"
grep -q '^  png WIDTHxHEIGHT TICKS --out FILE \[--fast\]$' "$tmp/out" || fail "--help lacks png"
grep -q '^  stats WIDTHxHEIGHT ' "$tmp/out" || fail "--help lacks stats"
expect_ok --version
[ "$(tr -d '\r' <"$tmp/out")" = "morvessantique-tool $version" ] || fail "--version: $(cat "$tmp/out")"

# --- usage errors -------------------------------------------------------------------------
expect_usage_error
expect_usage_error frob 640x480
expect_usage_error stats
expect_usage_error stats 640x480 1
expect_usage_error dump 0x480
expect_usage_error trace
expect_usage_error trace 640x480
expect_usage_error trace 640x480 -1
expect_usage_error trace 640x480 +5
expect_usage_error trace 640x480 5x
expect_usage_error trace 640x480 ''
expect_usage_error trace 640x480 ' 5'
expect_usage_error trace 640x480 10000001
expect_usage_error trace 640x480 99999999999999999999999
expect_usage_error trace 640x480 5 --slow
expect_usage_error trace 640x480 5 --fast --fast
expect_usage_error trace 640x480 5 --out "$tmp/x.png"
expect_usage_error trace 640x480x 5
expect_usage_error trace 16385x480 5
expect_usage_error trace 5 640x480
expect_usage_error png 64x48 5
expect_usage_error png 64x48 5 --out
expect_usage_error png 64x48 5 --out ''
expect_usage_error png 64x48 5 --out "$tmp/a.png" --out "$tmp/b.png"
expect_usage_error png 64x48 x --out "$tmp/a.png"
expect_usage_error png 0x48 5 --out "$tmp/a.png"
[ -e "$tmp/a.png" ] && fail "a refused png command wrote its file"

# --- trace --------------------------------------------------------------------------------
expect_ok trace 640x480 0
[ -s "$tmp/out" ] && fail "trace of 0 ticks printed something"

expect_ok trace 640x480 5
cat >"$tmp/five" <<'FIVE'
clear
color 0 255 0
line 0 -1 0 -0.92000000000000004
flush
color 1 255 0
line 0 -1 0 -0.84000000000000008
flush
color 2 255 0
line 0 -1 0 -0.76000000000000001
flush
color 3 255 0
line 0 -1 0 -0.68000000000000005
flush
color 4 255 0
line 0 -1 0 -0.60000000000000009
flush
FIVE
cmp -s "$tmp/out" "$tmp/five" || fail "trace 640x480 5: $(diff "$tmp/five" "$tmp/out" | head -5)"

# Ferns without a level print nothing, however many ticks; the largest count is accepted.
expect_ok trace 9x9 10000000
[ -s "$tmp/out" ] && fail "trace 9x9 printed something"

# Both ferns once at 640x480: 230 drawing ticks, 217,640 lines, one clear per fern.
expect_ok stats 640x480
printf 'vertical levels 22 segments 80490\nhorizontal levels 24 segments 137150\n' >"$tmp/stats"
cmp -s "$tmp/out" "$tmp/stats" || fail "stats 640x480: $(cat "$tmp/out")"

expect_ok trace 640x480 392
cp "$tmp/out" "$tmp/cycle"
count() { grep -c "$1" "$tmp/cycle"; }
[ "$(wc -l <"$tmp/cycle")" -eq 218102 ] || fail "392 ticks: $(wc -l <"$tmp/cycle") lines"
[ "$(count '^clear$')" -eq 2 ] || fail "392 ticks: $(count '^clear$') clears"
[ "$(count '^color ')" -eq 230 ] || fail "392 ticks: $(count '^color ') colours"
[ "$(count '^flush$')" -eq 230 ] || fail "392 ticks: $(count '^flush$') flushes"
[ "$(count '^line ')" -eq 217640 ] || fail "392 ticks: $(count '^line ') lines"
[ "$(grep '^color ' "$tmp/cycle" | tail -n 1)" = "color 229 255 0" ] || fail "last colour"
grep -q $'\r' "$tmp/cycle" && fail "trace output has carriage returns"

expect_ok trace 640x480 1032 --fast
cmp -s "$tmp/out" "$tmp/cycle" || fail "1032 fast ticks differ from 392 normal ones"
expect_ok trace 640x480 393
[ "$(sed -n '218103,218104p' "$tmp/out" | tr '\n' ' ')" = "clear color 230 255 0 " ] ||
  fail "tick 393 does not start the vertical fern again in the next colour"

# A full disk is a failure, not a success with lost output.
if [ "$mode" = --host ]; then
  for args in "stats 64x48" "dump 64x48" "trace 64x48 5" "--help"; do
    # shellcheck disable=SC2086  # the command and its arguments are separate words
    "${tool[@]}" $args >/dev/full 2>"$tmp/err"
    rc=$?
    [ "$rc" -eq 1 ] && one_error_line || fail "[$args] to a full disk: exit $rc, $(cat "$tmp/err")"
  done
fi

# --- png ----------------------------------------------------------------------------------
if [ "$mode" = --host ]; then
  # Mesa's software rasteriser leaks a few bytes of its own when its display is
  # terminated after drawing; in sanitizer builds that must not fail these runs.
  export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
  expect_ok png 64x48 5 --out "$tmp/small.png"
  [ -s "$tmp/out" ] && fail "png wrote to stdout"
  header=$(od -An -tx1 -N26 "$tmp/small.png" | tr -d ' \n')
  # Signature, IHDR, width 64, height 48, 8 bits, colour type 2 (RGB).
  [ "${header:0:48}" = "89504e470d0a1a0a0000000d494844520000004000000030" ] ||
    fail "png header $header"
  [ "${header:48:4}" = "0802" ] || fail "png is not 8-bit RGB: ${header:48:4}"
  expect_ok png 640x480 311 --fast --out "$tmp/big.png"
  [ -s "$tmp/big.png" ] || fail "png 640x480 wrote nothing"
  run png 64x48 5 --out "$tmp/no/such/dir/x.png"
  [ "$rc" -eq 1 ] || fail "png to a missing directory: exit $rc"
  one_error_line || fail "png to a missing directory: $(cat "$tmp/err")"
else
  expect_usage_error png 64x48 5 --out "$tmp/w.png"
  grep -q 'not available' "$tmp/err" || fail "png refusal does not say why: $(cat "$tmp/err")"
  [ -e "$tmp/w.png" ] && fail "the Windows png wrote a file"
fi

finish
