#!/usr/bin/env bash
# Installs everything the build and the test suites need on a fresh Debian 12 machine (as root).
# Safe to run again: apt-get skips what is already there.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
pkgs=(cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev
      libegl-dev libegl-mesa0 libgl-dev libgl1-mesa-dri libpng-dev
      g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
      wine wine32 wine64 xvfb xauth xdotool x11-utils imagemagick python3)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
