#!/usr/bin/env bash
# Exits 0 when this machine's kernel runs 32-bit x86 (i386) Linux programs, 1 when it
# cannot. It needs nothing installed: it runs a 91-byte static i386 program that only
# exits with 0 (an ELF header, one loadable segment, and xor ebx,ebx; xor eax,eax;
# inc eax; int 0x80, the exit system call). A kernel built without 32-bit support
# refuses it ("Exec format error"). Used by the install step, the Wine session's pick
# of a Windows build, and the tests that run the i386 build of the fern engine.
set -u
here=$(cd "$(dirname "$0")" && pwd)
dir=
trap 'rm -rf "$dir"' EXIT
# The probe runs from the first folder that lets programs run at all (TMPDIR may be on a
# noexec mount): a shell script beside it tells "not from here" (it does not run either)
# from "not this kind of program".
for base in "${TMPDIR:-/tmp}" /tmp /dev/shm /var/tmp "$here/../build"; do
  dir=$(mktemp -d "$base/morv-i386.XXXXXX" 2>/dev/null) || continue
  if printf '#!/bin/sh\nexit 0\n' >"$dir/sh" &&
     printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'`
           `'\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'`
           `'\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'`
           `'\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'`
           `'\x5b\x00\x00\x00\x5b\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'`
           `'\x31\xdb\x31\xc0\x40\xcd\x80' >"$dir/probe" &&
     chmod +x "$dir/sh" "$dir/probe" && "$dir/sh" 2>/dev/null; then
    "$dir/probe" 2>/dev/null || exit 1
    exit 0
  fi
  rm -rf "$dir"
done
echo "runs-i386.sh: no folder here lets a program run (TMPDIR, /tmp, /dev/shm, /var/tmp, build): taken as no" >&2
exit 1
