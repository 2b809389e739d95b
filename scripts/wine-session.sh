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
    local n
    for n in $(seq 91 140); do
      [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
    done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$MORV_WINE_TMP/xvfb.log" 2>&1 &
    MORV_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 50); do
      xdpyinfo >/dev/null 2>&1 && break
      sleep 0.1
    done
  fi
  trap morv_wine_stop EXIT
  echo "Wine ($MORV_WIN_PRESET) prefix $WINEPREFIX on display ${DISPLAY:-none}"
  "$MORV_WINE" wineboot -i >"$MORV_WINE_TMP/wineboot.log" 2>&1 || true
  wineserver -w
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
