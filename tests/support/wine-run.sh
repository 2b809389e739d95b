#!/usr/bin/env bash
# Runs one Windows program under Wine for ctest. The test command provides the
# WINEPREFIX, DISPLAY and MORV_WINE (the Wine loader that suits the build);
# see scripts/wine-session.sh.
. "$(dirname "$0")/strict.sh"
export WINEDEBUG=${WINEDEBUG:--all}
exec "${MORV_WINE:-wine}" "$@"
