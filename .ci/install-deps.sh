#!/usr/bin/env bash
# Installs everything the build, the main job and the test suites need on a fresh Debian 12
# or Debian 13 machine (as root), on hosts that run 32-bit programs and on hosts that cannot. The
# 32-bit (i386) packages, for 32-bit Wine, only go where the kernel runs 32-bit programs.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
root=$(cd "$(dirname "$0")/.." && pwd)
pkgs=(cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev
      libegl-dev libegl-mesa0 libgl-dev libopengl-dev libgl1-mesa-dri libpng-dev
      g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-posix
      wine wine64 xvfb xauth xdotool x11-utils imagemagick python3
      clang valgrind g++-multilib
      libx11-dev libglx-dev xscreensaver procps xcompmgr xserver-xephyr
      emscripten node-acorn nodejs chromium
      firefox-esr webkit2gtk-driver)
# --- release files: reproducible builds (commit time, archive normaliser), signing, Debian's package checker ---
pkgs+=(git strip-nondeterminism osslsigncode openssl lintian dpkg-dev)
# --- end release files ---
# Wine only recommends its OpenGL driver and the X extensions it loads at run time, and
# recommended packages are not installed here: name them, for the 64-bit Wine and, where
# it runs, the 32-bit one. Without them every pixel-format request fails.
wine_gl() {
  local p
  for p in libgl1 libglx-mesa0 libgl1-mesa-dri libxcursor1 libxi6 libxinerama1 libxrandr2 \
           libxrender1 libxxf86vm1 libxcomposite1; do
    echo "$p:$1"
  done
}
mapfile -t -O "${#pkgs[@]}" pkgs < <(wine_gl amd64)
# Where the kernel runs 32-bit programs: 32-bit Wine, and the i386 build of the fern
# engine runs natively. Elsewhere no i386 architecture and no i386 package (they could
# never run), that build runs under qemu, and apt looks at no i386 index, so that a
# mirror's broken one does not matter.
i386=()
apt=(apt-get)
need_qemu=0
if bash "$root/scripts/runs-i386.sh"; then
  i386=(wine32)
  mapfile -t -O 1 i386 < <(wine_gl i386)
else
  apt+=(-o "APT::Architectures=$(dpkg --print-architecture)")
  command -v qemu-i386-static >/dev/null || command -v qemu-i386 >/dev/null || need_qemu=1
fi
# The one package that truly differs between the releases: the static qemu-i386 runner,
# with no binfmt registration, is Debian 12's qemu-user-static (qemu-i386-static). From
# Debian 13 qemu-user itself is static (qemu-i386), and qemu-user-static is a
# transitional package that depends on it and on qemu-user-binfmt: take qemu-user there.
qemu_package() {
  if apt-cache depends qemu-user-static 2>/dev/null | grep -qx '  Depends: qemu-user'; then
    echo qemu-user
  else
    echo qemu-user-static
  fi
}
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
# The sanitizer and fuzzer runtimes carry clang's major version in their name (14 on
# Debian 12, 19 on Debian 13): take it from the clang-N that the clang package pulls
# in, installed or (after an update) as apt would install it.
clang_rt() {
  local n
  n=$(dpkg-query -W -f='${Depends}' clang 2>/dev/null | grep -o 'clang-[0-9]\+' | head -n 1)
  [ -n "$n" ] || n=$(apt-cache depends clang 2>/dev/null | grep -o 'Depends: clang-[0-9]\+$' | head -n 1)
  if [ -z "$n" ]; then
    if apt-cache show clang >/dev/null 2>&1; then
      echo "install-deps: apt knows no clang-N for the clang package" >&2
    else  # every apt-get update failed, on a machine that never had an index
      echo "install-deps: apt's package index is missing (apt-get update failed above), so the clang runtime to install cannot be told" >&2
    fi
    return 1
  fi
  echo "libclang-rt-${n##*-}-dev"
}
if installed clang; then rt=$(clang_rt); pkgs+=("$rt"); fi
missing=() missing_i386=()
for p in "${pkgs[@]}"; do installed "$p" || missing+=("$p"); done
for p in "${i386[@]}"; do installed "$p" || missing_i386+=("$p"); done
if ((${#missing[@]} + ${#missing_i386[@]} + need_qemu)); then
  if ((${#i386[@]})); then
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  fi
  # A mirror caught mid-sync serves an index that does not match its Release file; apt
  # then keeps going without that index. Try again a little later, and if it still fails,
  # go on: the install below says plainly if a package really cannot be had.
  for try in 1 2 3; do
    "${apt[@]}" update -q && break
    echo "install-deps: apt-get update failed (try $try of 3)" >&2
    [ "$try" = 3 ] || sleep 20
  done
  if ! installed clang; then rt=$(clang_rt); missing+=("$rt"); fi
  ((need_qemu == 0)) || missing+=("$(qemu_package)")
  if ((${#missing[@]})); then
    "${apt[@]}" install -y -q --no-install-recommends "${missing[@]}"
  fi
  # Without its index (or at versions that no longer match the updated 64-bit packages)
  # the i386 set cannot be had: the Windows tests then run from the 64-bit build.
  if ((${#missing_i386[@]})) &&
     ! "${apt[@]}" install -y -q --no-install-recommends "${missing_i386[@]}" >/tmp/install-deps-i386.log 2>&1; then
    echo "install-deps: the i386 packages for 32-bit Wine could not be installed (see /tmp/install-deps-i386.log); going on without them, the Windows tests will run from the 64-bit build" >&2
  fi
fi
