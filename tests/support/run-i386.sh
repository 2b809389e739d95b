#!/usr/bin/env bash
# run-i386.sh PROGRAM ARGS...: runs a static i386 Linux program natively where the
# kernel runs 32-bit programs, and under qemu-i386-static (Debian's qemu-user-static)
# where it cannot.
. "$(dirname "$0")/strict.sh"
set -e
if bash "$(dirname "$0")/../../scripts/runs-i386.sh"; then
  echo "this kernel runs 32-bit programs: $(basename "$1") runs natively"
  exec "$@"
fi
if ! command -v qemu-i386-static >/dev/null; then
  echo "this kernel cannot run 32-bit programs, and qemu-i386-static (package qemu-user-static) is missing" >&2
  exit 1
fi
echo "this kernel cannot run 32-bit programs: $(basename "$1") runs under qemu-i386-static"
exec qemu-i386-static "$@"
