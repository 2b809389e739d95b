#!/usr/bin/env bash
# The release files are reproducible, signed ones too: scripts/release.sh runs twice,
# one run after the other, on two copies of this source tree in two scratch folders of
# different paths (the second with another umask), both signing with one throwaway key,
# and every release file must come out byte for byte the same; a difference is named by
# file, byte offset and archive member. The signatures in the win32 zip must verify
# against the key's certificate, and the zip's sums match the signed programs; a wrong
# password stops a release before it writes anything. The key's path is relative and its
# password holds a space, quotes and a dollar sign. A plain build of a release's win32
# folder, with the key named but no password, neither signs nor fails; packing there
# again reads the key anew (moved meanwhile) and makes the same zip. Then lintian checks
# the Debian package and fails on any error.
#   reproducible.sh            (from anywhere; builds take about a minute each)
. "$(dirname "$0")/../support/strict.sh"
set -e
src=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/morv-reproducible.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Taken here by the release's rule, as the copies below carry no git history.
SOURCE_DATE_EPOCH=$(sh "$src/cmake/source_date_epoch.sh" "$src")
export SOURCE_DATE_EPOCH

export MORV_SIGN_PKCS12=key.p12 MORV_SIGN_PASSWORD="throw a'way \"\$HOME"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" \
  -days 30 -subj "/CN=Morvessantique test" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/key.p12" \
  -passout env:MORV_SIGN_PASSWORD
unset MORV_SIGN_TIMESTAMP_URL

if MORV_SIGN_PASSWORD=wrong bash "$src/scripts/release.sh" "$work/wrong" >"$work/wrong.log" 2>&1 ||
   ! grep -q "MORV_SIGN_PASSWORD does not open" "$work/wrong.log" || [ -e "$work/wrong" ]; then
  cat "$work/wrong.log"; fail "a wrong password must stop the release, say so and leave no folder"
else
  echo "ok: a wrong password stops the release"
fi
# A signing that fails once the key has opened (here: no program to sign) leaves no
# file, not even the one an earlier build signed.
echo "signed by an earlier build" >"$work/signed"
if bash "$src/cmake/sign_program.sh" "$src" "$src/README.md" "$work/signed" "$work/key.p12" \
     >/dev/null 2>&1 || compgen -G "$work/signed*" >/dev/null; then
  fail "a failed signing left $work/signed or its partial file"
fi

run() {  # run COPY OUT UMASK
  mkdir -p "$1"
  tar -C "$src" --exclude=./build --exclude=./out --exclude=./.git -cf - . | tar -C "$1" -xf -
  (umask "$3" && bash "$1/scripts/release.sh" "$2" >"$work/release.log" 2>&1) ||
    { cat "$work/release.log"; echo "FAIL: scripts/release.sh in $1"; exit 1; }
}
run "$work/a/src" "$work/a/out" 022
run "$work/second-build/morvessantique" "$work/second-build/release" 002

while read -r _ name; do
  if cmp -s "$work/a/out/$name" "$work/second-build/release/$name"; then
    echo "ok: $name is reproducible"
  else
    fail "$name differs: $(python3 "$src/tests/release/first_difference.py" \
      "$work/a/out/$name" "$work/second-build/release/$name")"
  fi
done <"$work/a/out/SHA256SUMS"
cmp -s "$work/a/out/SHA256SUMS" "$work/second-build/release/SHA256SUMS" ||
  fail "the two runs made different sets of files"
# The library whose package Debian 13 renamed, each build's compiler, and the Node and
# acorn that emcc's optimiser runs: by package.
for tool in libarchive 'g++-[0-9]' g++-mingw-w64-i686 emscripten nodejs node-acorn osslsigncode; do
  grep -q "^$tool[^ ]* [0-9]" "$work/a/out/BUILDINFO" || fail "BUILDINFO names no $tool"
done

mkdir "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$work"/a/out/*-win32.zip)
folder=$(echo "$work"/unpacked/*)
signed() {  # signed PROGRAM: by the test key, with SHA-256, the name and the address
  osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.log" 2>&1 &&
    grep -q "^Message digest algorithm *: SHA256" "$work/verify.log" &&
    grep -q "Text description: Morvessantique$" "$work/verify.log" &&
    grep -q "URL description: https://www.quillane.com/$" "$work/verify.log"
}
for program in Morvessantique.scr Install.exe; do
  if signed "$folder/$program"; then
    echo "ok: $program is signed with SHA-256, the program's name and address"
  else
    cat "$work/verify.log"; fail "$program: no such signature by the test key"
  fi
done
if (cd "$folder" && sha256sum --quiet -c SHA256SUMS); then
  echo "ok: the zip's SHA256SUMS are of its signed programs"
else
  fail "the zip's SHA256SUMS are not of its signed programs"
fi

build=$work/a/out/build/win32
rm "$build"/release/*.scr "$build"/release/*.exe
if ! (unset MORV_SIGN_PASSWORD && MORV_SIGN_PKCS12=$work/key.p12 cmake --build "$build" >"$work/plain.log" 2>&1) ||
   signed "$build/release/Morvessantique.scr"; then
  cat "$work/plain.log"; fail "a plain build with a key named and no password must neither sign nor fail"
fi
mv key.p12 moved.p12
if MORV_SIGN_PKCS12=$work/moved.p12 cmake --build "$build" --target morv_release_zip >"$work/pack.log" 2>&1 &&
   cmp -s "$build"/*-win32.zip "$work"/a/out/*-win32.zip; then
  echo "ok: a plain build signs nothing; packing again signs with the moved key into the same zip"
else
  cat "$work/pack.log"; fail "packing again with the moved key must make the release's zip"
fi

deb=$(ls "$work"/a/out/*.deb)
if lintian --tag-display-limit 0 -L ">=info" --fail-on error "$deb" 2> >(grep -v "root privileges" >&2); then
  echo "ok: lintian finds no error in $(basename "$deb")"
else
  fail "lintian finds errors in $(basename "$deb")"
fi
[ "$failures" -eq 0 ]
