#!/usr/bin/env bash
# Installs everything the build, the main job and the test suites need on a fresh Debian 12
# machine (as root), on hosts that run 32-bit programs and on hosts that cannot.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
pkgs=(cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev
      libegl-dev libegl-mesa0 libgl-dev libopengl-dev libgl1-mesa-dri libpng-dev
      g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-posix
      wine wine32 wine64 xvfb xauth xdotool x11-utils imagemagick python3
      clang libclang-rt-14-dev valgrind
      libx11-dev libglx-dev xscreensaver procps xcompmgr xserver-xephyr
      emscripten node-acorn nodejs chromium)
# --- release files: reproducible builds (commit time, archive normaliser), signing, Debian's package checker ---
pkgs+=(git strip-nondeterminism osslsigncode openssl lintian)
# --- end release files ---
# Wine only recommends its OpenGL driver and the X extensions it loads at run time, and
# recommended packages are not installed here: name them, for the 64-bit Wine and the
# 32-bit one. Without them every pixel-format request fails.
for arch in amd64 i386; do
  pkgs+=("libgl1:$arch" "libglx-mesa0:$arch" "libgl1-mesa-dri:$arch"
         "libxcursor1:$arch" "libxi6:$arch" "libxinerama1:$arch" "libxrandr2:$arch"
         "libxrender1:$arch" "libxxf86vm1:$arch" "libxcomposite1:$arch")
done
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  # A mirror caught mid-sync serves an index that does not match its Release file; apt
  # then keeps going without that index. Try again a little later, and if it still fails,
  # go on: the install below says plainly if a package really cannot be had.
  for try in 1 2 3; do
    apt-get update -q && break
    echo "install-deps: apt-get update failed (try $try of 3)" >&2
    [ "$try" = 3 ] || sleep 20
  done
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
