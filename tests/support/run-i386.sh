#!/usr/bin/env bash
# run-i386.sh PROGRAM ARGS...: runs a static i386 Linux program natively where the
# kernel runs 32-bit programs, and under qemu's i386 user-mode runner where it cannot:
# qemu-i386-static (Debian 12's qemu-user-static) or qemu-i386 (Debian 13's qemu-user,
# itself static).
. "$(dirname "$0")/strict.sh"
set -e
if bash "$(dirname "$0")/../../scripts/runs-i386.sh"; then
  echo "this kernel runs 32-bit programs: $(basename "$1") runs natively"
  exec "$@"
fi
for qemu in qemu-i386-static qemu-i386 ''; do
  [ -z "$qemu" ] || ! command -v "$qemu" >/dev/null || break
done
if [ -z "$qemu" ]; then
  echo "this kernel cannot run 32-bit programs, and neither qemu-i386-static (Debian 12's qemu-user-static) nor qemu-i386 (Debian 13's qemu-user) is installed" >&2
  exit 1
fi
echo "this kernel cannot run 32-bit programs: $(basename "$1") runs under $qemu"
exec "$qemu" "$@"
