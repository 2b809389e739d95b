#!/usr/bin/env bash
# scripts/runs-i386.sh gives the same answer with TMPDIR on a noexec mount as without.
# In a private user and mount namespace, so that it needs no privileges and changes
# nothing outside; where this kernel cannot run i386 programs, that namespace's own
# binfmt_misc (Linux 6.7 and later) hands them to qemu-i386-static, so that the answer
# to keep is yes.
. "$(dirname "$0")/../support/strict.sh"
set -e
script=$(cd "$(dirname "$0")/../.." && pwd)/scripts/runs-i386.sh
mnt=$(mktemp -d /tmp/morv-noexec.XXXXXX)
trap 'rmdir "$mnt"' EXIT
unshare --user --map-root-user --mount true 2>/dev/null ||
  { echo "SKIP: this kernel gives no user and mount namespace of our own"; exit 77; }
unshare --user --map-root-user --mount bash -s "$script" "$mnt" <<'EOF'
if ! bash "$1" 2>/dev/null; then
  { mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc && [ -x /usr/bin/qemu-i386-static ] &&
    echo ':i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:'`
      `'\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'`
      `'/usr/bin/qemu-i386-static:F' >/proc/sys/fs/binfmt_misc/register && bash "$1"; } 2>/dev/null ||
    { echo "SKIP: no i386 programs here, nor binfmt_misc of a namespace's own for qemu-i386-static"; exit 77; }
fi
mount -t tmpfs -o noexec tmpfs "$2" || exit 1
if TMPDIR=$2 bash "$1"; then
  echo "ok: with TMPDIR on a noexec mount, runs-i386.sh still says that i386 programs run"
else
  echo "FAIL: with TMPDIR on a noexec mount, runs-i386.sh says that i386 programs cannot run"
  exit 1
fi
EOF
