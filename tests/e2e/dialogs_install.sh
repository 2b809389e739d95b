#!/usr/bin/env bash
# Install.exe as a person uses it: started from a folder with or without the saver file,
# closed with the keyboard or a mouse click on its button on the (virtual) screen.
#   dialogs_install.sh INSTALL_EXE             the cases below, with a stand-in saver file
#   dialogs_install.sh INSTALL_EXE FOLDER      one run from FOLDER as it is (an unpacked
#                                              release): its saver must arrive unchanged
# Runs inside a Wine session (scripts/wine-session.sh: MORV_WINE, WINEPREFIX, DISPLAY).
set -euo pipefail
exe=$1
release=${2:-}
if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ] || ! command -v xdotool >/dev/null; then
  echo "SKIP: needs a Wine session with a display and xdotool"
  exit 77
fi
wine=${MORV_WINE:-wine}
work=$(mktemp -d /tmp/morv-install-e2e.XXXXXX)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  rm -rf "$work"
  find "$WINEPREFIX/drive_c/windows" -maxdepth 2 -name Morvessantique.scr -delete 2>/dev/null || true
}
trap cleanup EXIT

failures=0
passes=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

installed() { [ -n "$(find "$WINEPREFIX/drive_c/windows" -maxdepth 2 -name Morvessantique.scr 2>/dev/null)" ]; }

# run_case NAME with-file|without-file|release Return|Escape|click
run_case() {
  local name=$1 source=$2 action=$3 dir="$work/$1" wid= X Y WIDTH HEIGHT SCREEN
  mkdir -p "$dir"
  find "$WINEPREFIX/drive_c/windows" -maxdepth 2 -name Morvessantique.scr -delete 2>/dev/null || true
  [ "$source" = with-file ] && printf 'MZ dummy saver' >"$dir/Morvessantique.scr"
  local from=$dir
  [ "$source" = release ] && from=$release
  (cd "$from" && "$wine" "$exe"; echo $? >"$dir/exit-code") &
  pid=$!
  for _ in $(seq 1 200); do
    wid=$(xdotool search --onlyvisible --name '^Install$' 2>/dev/null | head -1 || true)
    [ -n "$wid" ] && break
    sleep 0.1
  done
  if [ -z "$wid" ]; then
    fail "$name: the dialog did not appear"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=
    return
  fi
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  case $action in
    Return|Escape)
      # Without a window manager the keyboard follows the pointer.
      xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 4))
      sleep 0.2
      xdotool key "$action"
      ;;
    click)
      # The button's centre: dialog units (145, 55) of the 177 x 69 client area.
      xdotool mousemove $((X + WIDTH * 145 / 177)) $((Y + HEIGHT * 55 / 69))
      sleep 0.2
      xdotool click 1
      ;;
  esac
  for _ in $(seq 1 150); do
    [ -s "$dir/exit-code" ] && break
    sleep 0.1
  done
  if [ ! -s "$dir/exit-code" ]; then
    fail "$name: Install.exe did not end after $action"
    kill "$pid" 2>/dev/null || true
  elif [ "$(cat "$dir/exit-code")" != 0 ]; then
    fail "$name: exit code $(cat "$dir/exit-code"), expected 0"
  elif [ "$source" != without-file ] && ! installed; then
    fail "$name: the saver was not copied into the system directory"
  elif [ "$source" = release ] && ! cmp -s "$release/Morvessantique.scr" \
         "$(find "$WINEPREFIX/drive_c/windows" -maxdepth 2 -name Morvessantique.scr | head -1)"; then
    fail "$name: the installed saver differs from the one in $release"
  elif [ "$source" = without-file ] && installed; then
    fail "$name: something was installed without a source file"
  else
    echo "ok: $name"
    passes=$((passes + 1))
  fi
  wait "$pid" 2>/dev/null || true
  pid=
}

if [ -n "$release" ]; then
  run_case installs-release-then-Return release Return
else
  run_case installs-then-Return with-file Return
  run_case installs-then-click with-file click
  run_case missing-source-then-Escape without-file Escape
  run_case missing-source-then-click without-file click
fi

echo "$passes passed, $failures failed"
[ "$failures" = 0 ]
