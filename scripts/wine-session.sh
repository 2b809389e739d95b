# Sourced by the test and run scripts: picks the Wine that this machine can run,
# makes a private Wine prefix and, when asked, a virtual X display for this run.
#   morv_wine_pick          sets MORV_WINE, MORV_WIN_PRESET (win32 or win64), WINEARCH
#   morv_wine_start [xvfb]  prefix (+ display); an EXIT trap ends wineserver and Xvfb

morv_wine_pick() {
  # 32-bit Wine needs a kernel that runs 32-bit Linux programs; some hosts cannot.
  # There the Windows code is tested from its 64-bit build under 64-bit Wine.
  if [ -z "${MORV_WIN_PRESET:-}" ]; then
    if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
      MORV_WIN_PRESET=win32
    else
      MORV_WIN_PRESET=win64
    fi
  fi
  export MORV_WIN_PRESET
  if [ "$MORV_WIN_PRESET" = win32 ]; then
    export MORV_WINE=wine WINEARCH=win32
  else
    export MORV_WINE=/usr/lib/wine/wine64 WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
  fi
}

morv_wine_start() {
  morv_wine_pick
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  MORV_WINE_TMP=$(mktemp -d /tmp/morv-wine.XXXXXX)
  export WINEPREFIX="$MORV_WINE_TMP/prefix"
  if [ "${1:-}" = xvfb ]; then
    morv_xvfb_start 1024x768x24 "$MORV_WINE_TMP/xvfb.log"
    MORV_XVFB_PID=$morv_xvfb_pid
  fi
  trap morv_wine_stop EXIT
  echo "Wine ($MORV_WIN_PRESET) prefix $WINEPREFIX on display ${DISPLAY:-none}"
  "$MORV_WINE" wineboot -i >"$MORV_WINE_TMP/wineboot.log" 2>&1 || true
  wineserver -w
}

# morv_xvfb_start SCREEN LOG [Xvfb options]: a private virtual display; sets DISPLAY and
# morv_xvfb_pid. The server picks a number that it could really take (-displayfd): lock
# files do not tell, since servers in other file-system roots (a chroot) share the
# abstract socket names.
morv_xvfb_start() {
  local screen=$1 log=$2 number i
  shift 2
  number=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp "$@" 3>"$number" >"$log" 2>&1 &
  morv_xvfb_pid=$!
  for i in $(seq 1 100); do
    if grep -q '^[0-9]' "$number" 2>/dev/null; then
      export DISPLAY=":$(head -1 "$number")"
      rm -f "$number"
      return 0
    fi
    kill -0 "$morv_xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$number"
  echo "Xvfb did not start: $(tail -1 "$log")" >&2
  return 1
}

morv_wine_stop() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
  [ -n "${MORV_XVFB_PID:-}" ] && kill "$MORV_XVFB_PID" >/dev/null 2>&1 || true
  [ -n "${MORV_WINE_TMP:-}" ] && rm -rf "$MORV_WINE_TMP"
  true
}

# Lets Wine skip its wait for a window manager (about 2 s per closed captioned
# window on a bare virtual display) for the named programs. Only for programs
# whose behaviour does not depend on window-manager activation: the saver itself
# and the tests of its own window procedure keep Wine's managed windows.
morv_wine_unmanaged() {
  local exe
  for exe in "$@"; do
    "$MORV_WINE" reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1 || true
  done
  wineserver -w
}
