#!/usr/bin/env bash
# Makes the pictures in docs/pictures/:
#   ferns.gif                 both ferns growing tick by tick at 640x480, as the saver draws
#                             them (frames from morvessantique-tool png), under 1.5 MB
#   ferns-vertical.png, ferns-horizontal.png   each fern finished (morvessantique-tool png)
#   progress-dialog.png       the progress dialog on a 3840x2160 screen
#   config-dialog.png, config-confirm.png      the configuration dialog, and its confirmation
#   install-success.png, install-error.png     Install.exe's two kinds of outcome
# The last five come from the built Windows programs under Wine on a private virtual
# display (the 32-bit build where this machine runs 32-bit Wine, else the 64-bit one;
# they look the same).
#   bash scripts/pictures.sh [ferns|windows]     both when no argument is given
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/docs/pictures
what=${1:-all}
mkdir -p "$out"
# No creation or modification dates in the files: the same pictures, the same bytes.
png_options=(-define png:exclude-chunks=date,time,tEXt,zTXt)

ferns() {
  local tool=$root/build/host/tools/morvessantique-tool size=640x480 frames v h start end
  cmake --preset host >/dev/null
  cmake --build --preset host --target morvessantique-tool >/dev/null
  # One depth level a tick, five levels a generation; after a fern, one end tick and an
  # 80-tick pause (4 s), then the screen clears for the other fern.
  v=$((5 * $("$tool" stats $size | awk '/^vertical/ { print $3 }')))
  h=$((5 * $("$tool" stats $size | awk '/^horizontal/ { print $3 }')))
  start=$((v + 82))
  end=$((v + 81 + h))
  frames=$(mktemp -d /tmp/morv-pictures.XXXXXX)
  { seq 1 "$v"; seq "$start" "$end"; } |
    xargs -P "$(nproc)" -I{} "$tool" png $size {} --out "$frames/{}.png"
  "$tool" png $size "$v" --out "$out/ferns-vertical.png"
  "$tool" png $size "$end" --out "$out/ferns-horizontal.png"
  # 5/100 s a frame, as the saver's 50 ms tick; each finished fern stays 4 s.
  convert -loop 0 \
    -delay 5 $(seq -f "$frames/%g.png" 1 $((v - 1))) -delay 400 "$frames/$v.png" \
    -delay 5 $(seq -f "$frames/%g.png" "$start" $((end - 1))) -delay 400 "$frames/$end.png" \
    -layers OptimizeTransparency "$out/ferns.gif"
  rm -rf "$frames"
  local bytes
  bytes=$(stat -c %s "$out/ferns.gif")
  echo "docs/pictures/ferns.gif: $((v + h)) frames, $bytes bytes"
  [ "$bytes" -lt 1500000 ] || { echo "ferns.gif is over 1.5 MB" >&2; return 1; }
}

# Wine's own fonts (Debian's fonts-wine), in this run's prefix only: without them the
# dialogs get a stand-in for "MS Sans Serif" and the caption buttons a letter instead of
# their symbols (Marlett). Installing the package for the whole machine would change the
# fonts of every Wine test as well.
wine_fonts() {
  local fonts=/usr/share/wine/fonts
  if [ ! -f $fonts/marlett.ttf ]; then
    (cd "$tmp" && apt-get download -q fonts-wine >/dev/null 2>&1 && dpkg-deb -x fonts-wine_*.deb fonts-wine) ||
      { echo "fonts-wine could not be downloaded: the pictures use stand-in fonts" >&2; return 0; }
    fonts=$tmp/fonts-wine/usr/share/wine/fonts
  fi
  cp "$fonts"/* "$WINEPREFIX/drive_c/windows/Fonts/"
}

# window_of CLASS: the id of the first visible window of that X class that is a dialog:
# narrower than the screen, yet more than a speck.
window_of() {
  local id
  for id in $(xdotool search --onlyvisible --class "$1" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)" || continue
    if [ "$WIDTH" -lt "$screen_width" ] && [ "$WIDTH" -ge 100 ]; then
      echo "$id"
      return 0
    fi
  done
  return 1
}

# press ID KEY...: the keys, in turn, to that window (without a window manager the
# keyboard goes to the window under the pointer).
press() {
  local id=$1 key
  shift
  eval "$(xdotool getwindowgeometry --shell "$id")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
  for key in "$@"; do
    sleep 0.3
    xdotool key "$key"
  done
}

# grab FILE ID: a picture of one window.
grab() {
  import -window "$2" "$tmp/window.png"
  convert "$tmp/window.png" "${png_options[@]}" "$1"
}

windows() {
  . scripts/wine-session.sh
  morv_wine_pick
  cmake --preset "$MORV_WIN_PRESET" >/dev/null
  cmake --build --preset "$MORV_WIN_PRESET" --target Morvessantique morv_installer_exe >/dev/null
  local scr=$root/build/$MORV_WIN_PRESET/shell/Morvessantique.scr
  local installer=$root/build/$MORV_WIN_PRESET/installer/Install.exe
  tmp=$(mktemp -d /tmp/morv-pictures.XXXXXX)
  screen_width=3840
  morv_xvfb_start ${screen_width}x2160x24 "$tmp/xvfb.log"
  MORV_XVFB_PID=$morv_xvfb_pid
  morv_wine_start
  . tests/e2e/saver_lib.sh
  saver_require_session
  at_exit 'morv_wine_stop; rm -rf "$tmp"'
  wine_fonts

  # The progress dialog, from its first picture until it closes; the picture kept is the
  # last one taken while the ferns were still being computed (the finished one when the
  # computation was quicker than a screenshot).
  center_pointer
  start saver "$scr" /s
  local id= n=0 i
  local deadline=$((SECONDS + 90))
  while [ $SECONDS -lt $deadline ] && [ ! -s "$work/saver.exit" ]; do
    id=$(window_of morvessantique.scr) && break
    sleep 0.05
  done
  [ -n "$id" ] || { echo "no progress dialog$(said saver)" >&2; return 1; }
  # (import waits for a mouse click instead when the window has just gone.)
  while [ "$n" -lt 1000 ] && timeout 5 import -window "$id" "$tmp/progress-$n.png" 2>/dev/null; do
    n=$((n + 1))
  done
  local last=$((n - 1)) pick=$((n - 1))
  for ((i = last - 1; i >= 0; i--)); do
    if [ "$(compare -metric AE "$tmp/progress-$i.png" "$tmp/progress-$last.png" null: 2>&1)" != 0 ]; then
      pick=$i
      break
    fi
  done
  convert "$tmp/progress-$pick.png" -bordercolor black -border 48 "${png_options[@]}" "$out/progress-dialog.png"
  echo "docs/pictures/progress-dialog.png: picture $((pick + 1)) of $n"
  xdotool key space
  wait_exit saver 30 || { echo "the saver did not end after a key press" >&2; return 1; }

  # The dialogs with the frame Wine draws itself, as on Windows, rather than none: no
  # window manager runs on the virtual display.
  morv_wine_unmanaged Morvessantique.scr Install.exe
  start config "$scr" /c
  id=$(wait_window '^Morvessantique$' 30) || { echo "no configuration dialog" >&2; return 1; }
  sleep 1
  grab "$out/config-dialog.png" "$id"
  # Tab from OK to "Fast Madness", Space checks it: the confirmation comes up.
  press "$id" Tab space
  local box
  box=$(wait_window '^Dialog$' 15) || { echo "no confirmation box" >&2; return 1; }
  sleep 1
  grab "$out/config-confirm.png" "$box"
  # No, then OK: nothing stored.
  press "$box" n
  for i in $(seq 1 100); do xdotool search --onlyvisible --name '^Dialog$' >/dev/null || break; sleep 0.1; done
  press "$id" Return
  wait_exit config 15 || { echo "the configuration dialog did not close" >&2; return 1; }

  # Install.exe from a folder with the saver, then from one without.
  mkdir -p "$tmp/with" "$tmp/without"
  cp "$scr" "$tmp/with/Morvessantique.scr"
  local folder
  for folder in with without; do
    (cd "$tmp/$folder" && "$MORV_WINE" "$installer" >/dev/null 2>&1) &
    id=$(wait_window '^Install$' 30) || { echo "no installer window" >&2; return 1; }
    sleep 1
    if [ $folder = with ]; then grab "$out/install-success.png" "$id"; else grab "$out/install-error.png" "$id"; fi
    press "$id" Return
    wait $!
  done
  echo "docs/pictures: the Windows dialogs, from the $MORV_WIN_PRESET build"
}

case $what in
  ferns) ferns ;;
  windows) windows ;;
  all) ferns && windows ;;
  *) echo "usage: $0 [ferns|windows]" >&2; exit 2 ;;
esac
