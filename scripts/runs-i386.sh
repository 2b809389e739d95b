#!/usr/bin/env bash
# Exits 0 when this machine's kernel runs 32-bit x86 (i386) Linux programs, 1 when it
# cannot. It needs nothing installed: it runs a 91-byte static i386 program that only
# exits with 0 (an ELF header, one loadable segment, and xor ebx,ebx; xor eax,eax;
# inc eax; int 0x80, the exit system call). A kernel built without 32-bit support
# refuses it ("Exec format error"), and one that hands it to an emulator through binfmt_misc
# counts as no. Used by the install step, the Wine session's pick
# of a Windows build, and the tests that run the i386 build of the fern engine.
set -u
here=$(cd "$(dirname "$0")" && pwd)
dir=
trap 'rm -rf "$dir"' EXIT
# emulated PROBE: whether an enabled binfmt_misc entry takes the probe (qemu-user's, for
# one), which then ran it, not the kernel. Such an entry comes before the kernel's own
# loader even where the kernel could, so i386 programs here run under emulation, where
# 32-bit Wine hangs: the answer is no.
emulated() {
  local bm=/proc/sys/fs/binfmt_misc entry magic mask offset bytes i b m
  [ "$(cat "$bm/status" 2>/dev/null)" = enabled ] || return 1
  bytes=$(od -An -v -tx1 "$1" | tr -d ' \n')
  for entry in "$bm"/*; do
    case ${entry##*/} in register | status) continue ;; esac
    [ "$(head -n 1 "$entry" 2>/dev/null)" = enabled ] || continue
    magic=$(sed -n 's/^magic //p' "$entry")
    [ -n "$magic" ] || continue  # by file name extension
    mask=$(sed -n 's/^mask //p' "$entry")
    offset=$(sed -n 's/^offset //p' "$entry")
    for ((i = 0; i < ${#magic}; i += 2)); do  # as the kernel compares: under the mask
      b=${bytes:2 * ${offset:-0} + i:2} m=${mask:i:2}
      [ -n "$b" ] && (( ((16#$b ^ 16#${magic:i:2}) & 16#${m:-ff}) == 0 )) || continue 2
    done
    echo "runs-i386.sh: i386 programs run here through binfmt_misc's ${entry##*/} entry ($(sed -n 's/^interpreter //p' "$entry")), not the kernel: taken as no" >&2
    return 0
  done
  return 1
}

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
    emulated "$dir/probe" && exit 1
    exit 0
  fi
  rm -rf "$dir"
done
echo "runs-i386.sh: no folder here lets a program run (TMPDIR, /tmp, /dev/shm, /var/tmp, build): taken as no" >&2
exit 1
