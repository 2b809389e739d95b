#!/usr/bin/env bash
# valgrind_tool.sh TOOL
# The tool's trace and png at 640x480 under Valgrind's memcheck: no invalid access,
# no decision on an uninitialised value, no byte definitely lost. valgrind.supp
# takes out two faults of the dynamic loader and Mesa's driver, nothing of ours.
set -u
tool=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/script_lib.sh"
script_begin valgrind
tmp=$work

memcheck() {
  local label=$1
  shift
  if valgrind -q --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite \
      --suppressions="$here/valgrind.supp" --keep-debuginfo=yes --num-callers=30 \
      "$tool" "$@" >/dev/null 2>"$tmp/log"; then
    pass "$label"
  else
    cat "$tmp/log"
    fail "$label"
  fi
}

# Both ferns once, every drawing operation printed.
memcheck "trace 640x480 392" trace 640x480 392
# The first 30 depth levels of the vertical fern through OpenGL on Mesa's offscreen surface, written out.
memcheck "png 640x480 30" png 640x480 30 --out "$tmp/fern.png"
[ -s "$tmp/fern.png" ] || fail "png wrote no picture"
finish
