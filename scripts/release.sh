#!/usr/bin/env bash
# Builds the release files of this source tree from scratch and puts them into OUT,
# with their SHA256SUMS and the versions of the tools that made them (BUILDINFO):
#   bash scripts/release.sh OUT
# Each preset is configured in OUT/build/<preset> without tests, and only the targets
# that make release files are built. Archive times come from SOURCE_DATE_EPOCH: the
# caller's, or else the time of the last commit (cmake/source_date_epoch.sh). Two runs
# over the same commit give byte-identical files (tests/release/reproducible.sh checks it).
# With a key, Morvessantique.scr and Install.exe are signed before they are zipped:
#   MORV_SIGN_PKCS12=key.p12 MORV_SIGN_PASSWORD=... bash scripts/release.sh OUT
# and MORV_SIGN_TIMESTAMP_URL may name an RFC 3161 time-stamp server (docs/release.md).
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 OUT" >&2; exit 2; }
src=$(cd "$(dirname "$0")/.." && pwd)

SOURCE_DATE_EPOCH=$(sh "$src/cmake/source_date_epoch.sh" "$src")
export SOURCE_DATE_EPOCH
command -v strip-nondeterminism >/dev/null ||
  { echo "strip-nondeterminism is missing (bash .ci/install-deps.sh installs it)" >&2; exit 1; }
# The key is tried here, before anything is built or written; the packing of the win32
# zip then reads it, as an absolute path, from the environment.
if [ -n "${MORV_SIGN_PKCS12:-}" ]; then
  bash "$src/cmake/sign_program.sh" --check "$MORV_SIGN_PKCS12"
  MORV_SIGN_PKCS12=$(cd "$(dirname "$MORV_SIGN_PKCS12")" && pwd)/$(basename "$MORV_SIGN_PKCS12")
  export MORV_SIGN_PKCS12 MORV_SIGN_TIMESTAMP_URL=${MORV_SIGN_TIMESTAMP_URL:-}
  echo "signing Morvessantique.scr and Install.exe with $MORV_SIGN_PKCS12"
  [ -z "$MORV_SIGN_TIMESTAMP_URL" ] || echo "time-stamped by $MORV_SIGN_TIMESTAMP_URL:" \
    "the signed programs and the win32 zip differ from one build to the next"
else
  export MORV_SIGN_PKCS12= MORV_SIGN_TIMESTAMP_URL=
  echo "unsigned: MORV_SIGN_PKCS12 names no key to sign Morvessantique.scr and Install.exe with"
fi
mkdir -p "$1"
out=$(cd "$1" && pwd)
# Sums are written last: a run that fails leaves none that could vouch for a stale file.
rm -f "$out/SHA256SUMS" "$out/BUILDINFO"

# Every release file: the preset that builds it, the target that makes it, and where
# in that preset's build folder it lands (@VERSION@: CMake's project version).
release_files=(
  "win32 morv_release_zip Morvessantique-@VERSION@-win32.zip"
  "host morv_deb morvessantique_@VERSION@_amd64.deb"
  "web package Morvessantique-@VERSION@-web.zip"
)

files=()
configured=" "
version=
for entry in "${release_files[@]}"; do
  read -r preset target name <<<"$entry"
  build="$out/build/$preset"
  if [[ $configured != *" $preset "* ]]; then
    rm -rf "$build"
    (cd "$src" && cmake --preset "$preset" -B "$build" -DMORV_TESTS=OFF -DMORV_BENCH=OFF >/dev/null)
    configured+="$preset "
  fi
  if [ -z "$version" ]; then
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
    grep -q "^## $version " "$src/CHANGELOG.md" ||
      { echo "CHANGELOG.md has no entry for version $version" >&2; exit 1; }
  fi
  cmake --build "$build" --target "$target" -j "$(nproc)" >"$out/build/$preset-$target.log" 2>&1 ||
    { tail -n 30 "$out/build/$preset-$target.log"; echo "building $target ($preset) failed" >&2; exit 1; }
  name=${name//@VERSION@/$version}
  [ -f "$build/$name" ] || { echo "$target ($preset) did not make $name" >&2; exit 1; }
  cp "$build/$name" "$out/"
  files+=("$(basename "$name")")
done

# BUILDINFO: the Debian package, with its version, of every tool that made the files,
# found from the files the builds ran (the compiler, linker and build tool that each
# build found, emcc's LLVM, the libarchive that cmake loads), so that it holds on every release whatever the package is
# called there (Debian 13's libarchive13t64, g++-14). A tool whose package cannot be told
# stops the release: BUILDINFO never leaves one out.
owner() {  # owner FILE: "package version" of the installed package that holds FILE
  local pkg
  pkg=$(dpkg-query -S "$(readlink -f "$1")" 2>/dev/null | sed -n '1s/: .*//p') || pkg=
  [ -n "$pkg" ] || { echo "BUILDINFO: no installed package holds $1" >&2; return 1; }
  dpkg-query -W -f='${Package} ${Version}\n' "$pkg"
}
tool() {  # tool COMMAND
  local file
  file=$(command -v "$1") || { echo "BUILDINFO: $1 is not installed" >&2; return 1; }
  owner "$file"
}
program() {  # program PRESET VARIABLE: the program that the preset's build found for it
  local file
  file=$(cat "$out/build/$1"/CMakeFiles/*/CMakeCXXCompiler.cmake "$out/build/$1/CMakeCache.txt" |
         sed -n -e "s/^set($2 \"\(.*\)\")\$/\1/p" -e "s/^$2:[A-Z]*=//p" | sed -n 1p)
  [ -n "$file" ] || { echo "BUILDINFO: the $1 build names no $2" >&2; return 1; }
  command -v "$file"
}
used() { local file; file=$(program "$1" "$2") && owner "$file"; }  # used PRESET VARIABLE
loaded() {  # loaded COMMAND LIBRARY: the library, by name, that the command loads
  local file
  file=$(ldd "$(command -v "$1")" | awk -v lib="$2" 'index($1, lib) == 1 { print $3; exit }')
  [ -n "$file" ] || { echo "BUILDINFO: $1 loads no $2" >&2; return 1; }
  owner "$file"
}
buildinfo=$(
  set -e
  echo "SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH"
  win32_cxx=$(program win32 CMAKE_CXX_COMPILER)
  web_cxx=$(program web CMAKE_CXX_COMPILER)
  emconfig=$(dirname "$web_cxx")/em-config
  # emcc's optimiser: the Node that its configuration names, and the acorn module that
  # this Node loads with the web preset's NODE_PATH.
  node=$("$emconfig" NODE_JS | tr -d "[]'," | awk '{ print $1 }')
  # The clang and wasm-ld that emcc runs, as its configuration names them: in LLVM_ROOT,
  # with the version Debian adds to their names (a plain wasm-ld there comes only with
  # the lld package, which emscripten does not need).
  llvm_tool() {
    local version
    version=$("$emconfig" "$2") && [ "$version" != None ] || version=
    echo "$("$emconfig" LLVM_ROOT)/$1${version:+-$version}"
  }
  clang=$(llvm_tool clang CLANG_ADD_VERSION)
  wasm_ld=$(llvm_tool wasm-ld LLVM_ADD_VERSION)
  acorn=$(NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH} "$node" -e \
          'process.stdout.write(require.resolve("acorn"))') ||
    { echo "BUILDINFO: emcc's Node ($node) finds no acorn" >&2; exit 1; }
  { tool cmake; loaded cmake libarchive; used host CMAKE_MAKE_PROGRAM
    used host CMAKE_CXX_COMPILER; used host CMAKE_LINKER; tool dpkg-shlibdeps
    used win32 CMAKE_CXX_COMPILER; used win32 CMAKE_LINKER
    owner "$("$win32_cxx" -print-file-name=libkernel32.a)"
    used web CMAKE_CXX_COMPILER; owner "$clang"; owner "$wasm_ld"; tool wasm-opt
    owner "$node"; owner "$acorn"
    tool strip-nondeterminism; tool xz
    [ -z "$MORV_SIGN_PKCS12" ] || tool osslsigncode; } | sort -u
)

(cd "$out" && sha256sum "${files[@]}" >SHA256SUMS)
printf '%s\n' "$buildinfo" >"$out/BUILDINFO"
cat "$out/SHA256SUMS"
