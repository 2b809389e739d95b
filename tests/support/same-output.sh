#!/usr/bin/env bash
# same-output.sh "<command A>" "<command B>" ARGS...
# Runs both commands (word-split, so a command may carry an emulator) with the
# same arguments and fails unless their standard outputs are byte for byte equal.
. "$(dirname "$0")/strict.sh"
set -e
a=$1 b=$2
shift 2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for arg in "$@"; do
  $a "$arg" >"$tmp/a"
  $b "$arg" >"$tmp/b"
  if ! cmp -s "$tmp/a" "$tmp/b"; then
    echo "outputs differ for $arg:"
    cmp "$tmp/a" "$tmp/b" || true
    diff "$tmp/a" "$tmp/b" | head -5 || true
    exit 1
  fi
  echo "$arg: $(wc -l <"$tmp/a") lines equal"
done
