#!/usr/bin/env bash
# scripts/wine-bin: wine and wineserver start the next of their name on PATH, without
# TMPDIR and without the shims on PATH; a missing one is said as bash says it.
. "$(dirname "$0")/../support/script_lib.sh"
script_begin wine-shim
shims=$(cd "$(dirname "$0")/../../scripts/wine-bin" && pwd)
mkdir "$work/bin"
for name in wine wineserver; do
  printf '#!/bin/sh\necho "%s ${TMPDIR-unset} $PATH"\n' "$name" >"$work/bin/$name"
  chmod +x "$work/bin/$name"
  said=$(TMPDIR=/tmp PATH="$shims:$work/bin:/usr/bin:/bin" "$shims/$name" 2>&1)
  [ "$said" = "$name unset $work/bin:/usr/bin:/bin" ] && pass "$name: $said" || fail "$name: it said '$said'"
done
said=$(PATH="$shims:$work/none" "$shims/wineserver" 2>&1)
[ $? = 127 ] && [ "$said" = "wineserver: command not found" ] && pass "a missing wineserver: $said" ||
  fail "a missing wineserver: it said '$said'"
finish
