#!/usr/bin/env bash
# Exits 0 when this machine's kernel runs 32-bit x86 (i386) Linux programs, 1 when it
# cannot. It needs nothing installed: it runs a 91-byte static i386 program that only
# exits with 0 (an ELF header, one loadable segment, and xor ebx,ebx; xor eax,eax;
# inc eax; int 0x80, the exit system call). A kernel built without 32-bit support
# refuses it ("Exec format error"). Used by the install step, the Wine session's pick
# of a Windows build, and the tests that run the i386 build of the fern engine.
set -u
dir=$(mktemp -d "${TMPDIR:-/tmp}/morv-i386.XXXXXX") || exit 1
trap 'rm -rf "$dir"' EXIT
printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'`
      `'\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'`
      `'\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'`
      `'\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'`
      `'\x5b\x00\x00\x00\x5b\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'`
      `'\x31\xdb\x31\xc0\x40\xcd\x80' >"$dir/probe" && chmod +x "$dir/probe" || exit 1
"$dir/probe" 2>/dev/null || exit 1
