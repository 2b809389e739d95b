# Sourced by the test and run scripts: picks the Wine that this machine can run,
# makes a private Wine prefix and, when asked, a virtual X display for this run.
#   morv_wine_pick          sets MORV_WINE, MORV_WIN_PRESET (win32 or win64), WINEARCH
#   morv_wine_start [xvfb]  prefix (+ display); an EXIT trap ends wineserver and Xvfb
#   morv_wine_stop          what that trap runs
#   morv_wine_end PREFIX    ends its wineserver and programs, removes its socket's folder
#   morv_wine_boot LOG      sets up a new prefix and waits until it is ready (or fails)
#   morv_wine_build TARGET...  configures and builds them in the $MORV_WIN_PRESET build,
#                           its output in build/$MORV_WIN_PRESET.log (shown when it fails)
. "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"  # morv_xvfb_start, morv_xvfb_stop

morv_wine_pick() {
  # 32-bit Wine needs a kernel that runs 32-bit Linux programs; some hosts cannot
  # (and where the i386 packages could not be installed, there is none). There the
  # Windows code is tested from its 64-bit build under 64-bit Wine.
  if [ -z "${MORV_WIN_PRESET:-}" ]; then
    if [ -x /usr/lib/wine/wine ] && bash "$(dirname "${BASH_SOURCE[0]}")/runs-i386.sh"; then
      MORV_WIN_PRESET=win32
    else
      MORV_WIN_PRESET=win64
    fi
  fi
  export MORV_WIN_PRESET
  # Wine, wherever it is started from, by name or through MORV_WINE, runs without
  # TMPDIR (see wine-bin/wine).
  local shims
  shims=$(cd "$(dirname "${BASH_SOURCE[0]}")/wine-bin" && pwd)
  case ":$PATH:" in *":$shims:"*) ;; *) export PATH="$shims:$PATH" ;; esac
  if [ "$MORV_WIN_PRESET" = win32 ]; then
    export MORV_WINE=wine WINEARCH=win32
  else
    export MORV_WINE=$shims/wine64 WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
  fi
}

morv_wine_start() {
  morv_wine_pick
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  MORV_WINE_TMP=$(mktemp -d "${TMPDIR:-/tmp}/morv-wine.XXXXXX")
  export WINEPREFIX="$MORV_WINE_TMP/prefix"
  trap morv_wine_stop EXIT
  if [ "${1:-}" = xvfb ]; then
    morv_xvfb_start 1024x768x24 "$MORV_WINE_TMP/xvfb.log" || return 1
  fi
  echo "Wine ($MORV_WIN_PRESET) prefix $WINEPREFIX on display ${DISPLAY:-none}"
  morv_wine_boot "$MORV_WINE_TMP/wineboot.log"
}

# morv_wine_boot LOG: sets up the new prefix $WINEPREFIX with ${MORV_WINE:-wine}, its
# output in LOG. Wine's first start fills the new prefix; a program started before that
# is done would start the update again itself, beside its own start. The prefix is ready
# once every Wine process has ended (wineserver -w; the server saves the registry as it ends) and
# the registry holds the user's profile path, which Wine's set-up writes last, after
# wine.inf's default install: what Wine prints differs between versions (Wine 10 says
# nothing), and the registry files are saved even when the set-up was cut short. On a
# loaded machine wineboot can end first (a wait of its own ran out); its stamp then says
# the prefix is current, so the next tries force the update (-u). Fails, and says so
# with Wine's first error, when the prefix is not ready after three tries.
morv_wine_boot() {
  local try mode=-i
  for try in 1 2 3; do
    WINEDEBUG=-all,err+all "${MORV_WINE:-wine}" wineboot "$mode" >>"$1" 2>&1 || true
    wineserver -w
    grep -qs '^"ProfileImagePath"=' "${WINEPREFIX:-$HOME/.wine}/system.reg" && return 0
    mode=-u
    [ "$try" -eq 3 ] || echo "Wine has not finished setting up the prefix (try $try of 3)" >&2
  done
  echo "Wine did not set up the prefix ${WINEPREFIX:-} in 3 tries: $(
    grep -v -e 'created the configuration directory' -e 'has been updated' "$1" |
      grep -m 1 -E ':err:|^wine|command not found' || echo "it said nothing")" >&2
  return 1
}

morv_wine_build() {
  local log="build/$MORV_WIN_PRESET.log"
  mkdir -p build
  if ! { cmake --preset "$MORV_WIN_PRESET" &&
         cmake --build --preset "$MORV_WIN_PRESET" -j "$(nproc)" --target "$@"; } >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "the $MORV_WIN_PRESET build failed; its whole output is in $log" >&2
    return 1
  fi
}

# morv_wine_unmanaged EXE...: Wine skips its wait for a window manager (about 2 s per
# closed captioned window on a bare display) for these programs. For scripts that run
# programs outside ctest; the tests take their settings from ctest's fixture.
morv_wine_unmanaged() {
  local exe
  for exe in "$@"; do
    "$MORV_WINE" reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe\\X11 Driver" /v Managed /d N /f \
      >/dev/null 2>&1 || true
  done
  wineserver -w
}

# morv_wine_end PREFIX: ends that prefix's wineserver with its Windows programs, and
# removes the folder of its socket, which Debian's Wine makes in /tmp (wine-XXXXXX/
# server-DEV-INODE, after the prefix) and never removes.
morv_wine_end() {
  local id dir server=
  id=$(stat -c '%d %i' "$1" 2>/dev/null) && server=$(printf 'server-%x-%x' $id)
  WINEPREFIX=$1 timeout 10 wineserver -k >/dev/null 2>&1 || true
  [ -n "$server" ] || return 0
  for dir in /tmp/wine-*/"$server"; do
    [ -d "$dir" ] || continue
    rm -rf "$dir"
    rmdir "${dir%/*}" 2>/dev/null || true
  done
}

morv_wine_stop() {
  [ -z "${WINEPREFIX:-}" ] || morv_wine_end "$WINEPREFIX"
  morv_xvfb_stop
  [ -n "${MORV_WINE_TMP:-}" ] && rm -rf "$MORV_WINE_TMP"
  true
}
