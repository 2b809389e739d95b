#!/usr/bin/env bash
# The release files are reproducible: scripts/release.sh runs twice, one run after the
# other, on two copies of this source tree in two scratch folders of different paths
# (the second with another umask), and every release file must come out byte for byte
# the same; a difference is named by file, byte offset and archive member. Then lintian
# checks the Debian package and fails on any error.
#   reproducible.sh            (from anywhere; builds take about a minute each)
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/morv-reproducible.XXXXXX)
trap 'rm -rf "$work"' EXIT

# The commit's time as a release has it; a tree without git history gets a fixed one.
SOURCE_DATE_EPOCH=$(git -C "$src" log -1 --format=%ct 2>/dev/null || echo 1796774400)
export SOURCE_DATE_EPOCH

run() {  # run COPY OUT UMASK
  mkdir -p "$1"
  tar -C "$src" --exclude=./build --exclude=./out --exclude=./.git -cf - . | tar -C "$1" -xf -
  (umask "$3" && bash "$1/scripts/release.sh" "$2" >"$work/release.log" 2>&1) ||
    { cat "$work/release.log"; echo "FAIL: scripts/release.sh in $1"; exit 1; }
}
run "$work/a/src" "$work/a/out" 022
run "$work/second-build/morvessantique" "$work/second-build/release" 002

failures=0
while read -r _ name; do
  if cmp -s "$work/a/out/$name" "$work/second-build/release/$name"; then
    echo "ok: $name is reproducible"
  else
    echo "FAIL: $name differs: $(python3 "$src/tests/release/first_difference.py" \
      "$work/a/out/$name" "$work/second-build/release/$name")"
    failures=$((failures + 1))
  fi
done <"$work/a/out/SHA256SUMS"
cmp -s "$work/a/out/SHA256SUMS" "$work/second-build/release/SHA256SUMS" ||
  { echo "FAIL: the two runs made different sets of files"; failures=$((failures + 1)); }

deb=$(ls "$work"/a/out/*.deb)
if lintian --tag-display-limit 0 -L ">=info" --fail-on error "$deb" 2> >(grep -v "root privileges" >&2); then
  echo "ok: lintian finds no error in $(basename "$deb")"
else
  echo "FAIL: lintian finds errors in $(basename "$deb")"
  failures=$((failures + 1))
fi
[ "$failures" -eq 0 ]
