#!/usr/bin/env bash
# no_x87_sine.sh OBJDUMP PROGRAM...: fails when a program holds an x87 sine or cosine
# instruction (fsin, fcos, fsincos). The ferns' directions come from a constant table:
# these instructions give other values than the ones the ferns were recorded with.
. "$(dirname "$0")/../support/strict.sh"
set -e
objdump=$1
shift
status=0
for program in "$@"; do
  listing=$("$objdump" -d "$program")
  [ -n "$listing" ] || { echo "$program: no disassembly"; status=1; continue; }
  found=$(grep -wE 'f(sin|cos|sincos)' <<<"$listing" || true)
  if [ -n "$found" ]; then
    echo "$program holds $(wc -l <<<"$found") x87 sine or cosine instructions:"
    head -5 <<<"$found"
    status=1
  else
    echo "$program: no x87 sine or cosine"
  fi
done
exit "$status"
