#!/usr/bin/env bash
# The release zip as a user gets it: unpacked, it holds exactly the saver, the installer,
# README.txt and SHA256SUMS, in one folder; the sums match; and Install.exe, started from
# the unpacked folder, installs that very saver.
#   release_zip.sh ZIP DIALOGS_INSTALL_SCRIPT
. "$(dirname "$0")/../support/strict.sh"
set -e
zip=$1
install_script=$2
[ -f "$zip" ] || { echo "FAIL: no $zip (cmake --build --preset win32 --target package)"; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/morv-release.XXXXXX")
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip")

name=$(basename "$zip" .zip)
folder="$work/$name"
expected=$(printf "$name/%s\n" Install.exe Morvessantique.scr README.txt SHA256SUMS)
actual=$(cd "$work" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
if [ "$actual" != "$expected" ]; then
  printf 'FAIL: the zip holds\n%s\nexpected\n%s\n' "$actual" "$expected"
  exit 1
fi
(cd "$folder" && sha256sum -c SHA256SUMS) || { echo "FAIL: SHA256SUMS does not match the files"; exit 1; }
[ "$(cut -d' ' -f3 "$folder/SHA256SUMS" | sort | tr '\n' ' ')" = "Install.exe Morvessantique.scr README.txt " ] ||
  { echo "FAIL: SHA256SUMS does not cover the three other files"; exit 1; }
echo "ok: contents and sums"

# A 32-bit Install.exe needs 32-bit Wine, which hosts that fall back to the win64 preset lack.
if [ "${MORV_WIN_PRESET:-win32}" != win32 ]; then
  echo "SKIP: the zip's contents and sums are fine; installing from it needs 32-bit Wine, not on this host"
  exit 77
fi
bash "$install_script" "$folder/Install.exe" "$folder"
