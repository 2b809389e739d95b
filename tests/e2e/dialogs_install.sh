#!/usr/bin/env bash
# Install.exe as a person uses it: started from a folder with or without the saver file,
# closed with the keyboard or a mouse click on its button on the (virtual) screen.
#   dialogs_install.sh INSTALL_EXE             the cases below, with a stand-in saver file
#   dialogs_install.sh INSTALL_EXE FOLDER      one run from FOLDER as it is (an unpacked
#                                              release): its saver must arrive unchanged
# Runs inside a Wine session (scripts/wine-session.sh: MORV_WINE, WINEPREFIX, DISPLAY).
set -uo pipefail
exe=$1
release=${2:-}
. "$(dirname "$0")/saver_lib.sh"
saver_require_session

installed_saver() { find "$WINEPREFIX/drive_c/windows" -maxdepth 2 -name Morvessantique.scr 2>/dev/null; }
uninstall() { installed_saver | xargs -r rm -f; }
installed() { [ -n "$(installed_saver)" ]; }
at_exit uninstall

# run_case NAME with-file|without-file|release Return|Escape|click
run_case() {
  local name=$1 source=$2 action=$3 dir="$work/$1" wid= X Y WIDTH HEIGHT SCREEN
  mkdir -p "$dir"
  uninstall
  [ "$source" = with-file ] && printf 'MZ dummy saver' >"$dir/Morvessantique.scr"
  local from=$dir
  [ "$source" = release ] && from=$release
  run_bg "$name" env -C "$from" "$wine" "$exe"
  if ! wid=$(wait_window '^Install$' 20); then
    fail "$name: the dialog did not appear$(said "$name")"
    stop_bg "$name"
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
  if ! wait_exit "$name" 15; then
    fail "$name: Install.exe did not end after $action"
    stop_bg "$name"
  elif [ "$(exit_code "$name")" != 0 ]; then
    fail "$name: exit code $(exit_code "$name"), expected 0"
  elif [ "$source" != without-file ] && ! installed; then
    fail "$name: the saver was not copied into the system directory"
  elif [ "$source" = release ] && ! cmp -s "$release/Morvessantique.scr" "$(installed_saver | head -1)"; then
    fail "$name: the installed saver differs from the one in $release"
  elif [ "$source" = without-file ] && installed; then
    fail "$name: something was installed without a source file"
  else
    pass "$name"
  fi
}

if [ -n "$release" ]; then
  run_case installs-release-then-Return release Return
else
  run_case installs-then-Return with-file Return
  run_case installs-then-click with-file click
  run_case missing-source-then-Escape without-file Escape
  run_case missing-source-then-click without-file click
fi
finish
