#!/usr/bin/env bash
# scripts/runs-i386.sh asks the kernel itself: with TMPDIR on a noexec mount it still
# says yes, and with a binfmt_misc entry that takes i386 programs (Debian's qemu-i386
# one, here handing them to true) it says no, as i386 programs would then run emulated.
# In a private user and mount namespace with its own binfmt_misc (Linux 6.7 and later),
# so that it needs no privileges and changes nothing outside. Only where this kernel
# runs i386 programs: elsewhere both answers are no anyway.
. "$(dirname "$0")/../support/strict.sh"
set -e
script=$(cd "$(dirname "$0")/../.." && pwd)/scripts/runs-i386.sh
mnt=$(mktemp -d /tmp/morv-noexec.XXXXXX)
trap 'rmdir "$mnt"' EXIT
bash "$script" 2>/dev/null || { echo "SKIP: this kernel runs no i386 programs"; exit 77; }
unshare --user --map-root-user --mount true 2>/dev/null ||
  { echo "SKIP: this kernel gives no user and mount namespace of our own"; exit 77; }
unshare --user --map-root-user --mount bash -s "$script" "$mnt" <<'EOF2'
failed=0
mount -t tmpfs -o noexec tmpfs "$2" || exit 1
if TMPDIR=$2 bash "$1"; then
  echo "ok: with TMPDIR on a noexec mount, runs-i386.sh still says that i386 programs run"
else
  echo "FAIL: with TMPDIR on a noexec mount, runs-i386.sh says that i386 programs cannot run"
  failed=1
fi
if ! { mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc &&
       echo ':qemu-i386:M::\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:'`
         `'\xff\xff\xff\xff\xff\xfe\xfe\xfc\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'`
         `"$(type -P true):" >/proc/sys/fs/binfmt_misc/register; } 2>/dev/null; then
  echo "SKIP: no binfmt_misc of this namespace's own (Linux 6.7 and later)"
elif bash "$1" 2>/dev/null; then
  echo "FAIL: with i386 programs handed to another program by binfmt_misc, runs-i386.sh says that they run"
  failed=1
else
  echo "ok: with i386 programs handed to another program by binfmt_misc, runs-i386.sh says no"
fi
exit $failed
EOF2
