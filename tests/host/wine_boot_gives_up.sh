#!/usr/bin/env bash
# morv_wine_boot (scripts/wine-session.sh) fails, and says so last on stderr, when Wine
# never says that it has set up the prefix: here a stand-in wine that only fails.
. "$(dirname "$0")/../support/strict.sh"
set -e
stubs=$(mktemp -d /tmp/morv-wine-boot.XXXXXX)
trap 'rm -rf "$stubs"' EXIT
printf '#!/bin/sh\necho "wine: could not load kernel32.dll" >&2\nexit 1\n' >"$stubs/wine"
printf '#!/bin/sh\nexit 0\n' >"$stubs/wineserver"
chmod +x "$stubs/wine" "$stubs/wineserver"
. "$(dirname "$0")/../../scripts/wine-session.sh"
status=0
PATH=$stubs:$PATH MORV_WINE=wine WINEPREFIX=$stubs/prefix \
  morv_wine_boot "$stubs/wineboot.log" 2>"$stubs/said" || status=$?
cat "$stubs/said"
if [ "$status" -ne 0 ] && tail -n 1 "$stubs/said" | grep -q "did not set up"; then
  echo "ok: morv_wine_boot ended with $status"
else
  echo "FAIL: morv_wine_boot ended with $status, and its last line on stderr does not say it failed"
  exit 1
fi
