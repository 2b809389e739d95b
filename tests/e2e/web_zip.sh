#!/usr/bin/env bash
# The web release zip as a visitor's host gets it: one folder holding exactly the
# page's files and SHA256SUMS, and the sums match.
#   web_zip.sh ZIP FILE_LIST    (FILE_LIST: web/page_files.txt, the page's files one a line)
. "$(dirname "$0")/../support/strict.sh"
set -e
zip=$1
mapfile -t files < <(LC_ALL=C sort "$2")
((${#files[@]})) || { echo "FAIL: no files listed in $2"; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/morv-web-zip.XXXXXX")
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip")
name=$(basename "$zip" .zip)
expected=$(printf "$name/%s\n" SHA256SUMS "${files[@]}")
actual=$(cd "$work" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
[ "$actual" = "$expected" ] || { printf 'FAIL: the zip holds\n%s\nexpected\n%s\n' "$actual" "$expected"; exit 1; }
(cd "$work/$name" && sha256sum --strict -c SHA256SUMS) || { echo "FAIL: SHA256SUMS does not match"; exit 1; }
[ "$(wc -l <"$work/$name/SHA256SUMS")" = ${#files[@]} ] || { echo "FAIL: SHA256SUMS does not cover the page's files"; exit 1; }
echo "ok: $name.zip holds the page and its sums match"
