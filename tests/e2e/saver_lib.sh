# Shared by the saver's end-to-end scripts (sourced). They run inside a Wine
# session with a display (scripts/wine-session.sh: MORV_WINE, WINEPREFIX, DISPLAY)
# and drive Morvessantique.scr from outside, as Windows would. The counting, the
# background runs and their end come from tests/support/script_lib.sh.

. "$(dirname "${BASH_SOURCE[0]}")/../support/script_lib.sh"

# saver_require_session: skips (77) outside a Wine session with a display, before
# anything runs; else $wine, $work and the cleanup of script_begin, which also ends
# the session's Windows programs that this script started.
saver_require_session() {
  if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ] || ! command -v xdotool >/dev/null ||
     ! command -v import >/dev/null; then
    echo "SKIP: needs a Wine session with a display, xdotool and ImageMagick"
    exit 77
  fi
  wine=${MORV_WINE:-wine}
  # The saver is also started by programs (the outside probe), not only by start.
  wine_programs=(Morvessantique.scr)
  script_begin saver-e2e
  at_exit end_wine_leftovers
}

# start NAME PROGRAM ARGS...: the Windows program under Wine, as run_bg runs a command.
start() {
  local name=$1
  shift
  wine_programs+=("$(basename "$1")")
  run_bg "$name" "$wine" "$@"
}

# wine_leftovers: the Wine processes of this prefix that run one of wine_programs.
# A program that a Windows program starts is not below it among the Linux processes
# (Wine hands it to init), so the end of run_bg's programs does not reach it.
wine_leftovers() {
  local environ p command name
  for environ in $(grep -lzxF "WINEPREFIX=$WINEPREFIX" /proc/[0-9]*/environ 2>/dev/null); do
    p=${environ#/proc/}
    p=${p%/environ}
    # Wine's loader, not a script or tool that merely names the program.
    case $(readlink "/proc/$p/exe" 2>/dev/null) in */wine*) ;; *) continue ;; esac
    command=$(tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null) || continue
    for name in "${wine_programs[@]}"; do
      case $command in *"$name"*) alive "$p" && echo "$p"; break ;; esac
    done
  done
}

end_wine_leftovers() {
  local left=()
  mapfile -t left < <(wine_leftovers)
  [ ${#left[@]} -eq 0 ] && return 0
  echo "ending ${#left[@]} Windows program(s) left running: $(for p in "${left[@]}"; do
    tr -s '\0 ' ' ' <"/proc/$p/cmdline" 2>/dev/null; done)"
  end_processes "${left[@]}"
}

# wait_window REGEX SECONDS: prints the id of the first visible X window whose name matches.
wait_window() {
  local regex=$1 tenths=$(($2 * 10)) i id
  for ((i = 0; i < tenths; i++)); do
    id=$(xdotool search --onlyvisible --name "$regex" 2>/dev/null | head -1 || true)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# wait_saver NAME SECONDS: 0 once the full-screen window of the saver started as NAME is
# up. Otherwise 1, as soon as the cause shows, with the reason in $why: the saver ended
# first, or it shows its "Error" box instead (an OpenGL set-up failure; the box is
# dismissed so that the saver ends), or nothing appeared within the time.
wait_saver() {
  local name=$1 tenths=$(($2 * 10)) i box
  why=
  for ((i = 0; i < tenths; i++)); do
    xdotool search --onlyvisible --name '^Screen Saver$' >/dev/null 2>&1 && return 0
    if [ -s "$work/$name.exit" ]; then
      why="the saver ended with $(exit_code "$name") before its window appeared$(said "$name")"
      return 1
    fi
    box=$(xdotool search --onlyvisible --name '^Error$' 2>/dev/null | head -1 || true)
    if [ -n "$box" ]; then
      why="the saver shows an \"Error\" box instead of its window (no usable OpenGL under this Wine?)"
      xdotool key Return >/dev/null 2>&1 || true
      wait_exit "$name" 10 || true
      return 1
    fi
    sleep 0.1
  done
  why="no full-screen window within $2 s"
  return 1
}

# Fern-coloured pixels: the colour cycle walks the saturated hues, so a pixel counts
# when its HSL saturation is above one half (black, greys, white and the progress
# dialog's text do not). shot_stats FILE prints "COUNT WxH+X+Y" (the bounding box).
shot_stats() {
  convert "$1" -colorspace HSL -channel G -separate +channel -threshold 50% \
    -format "%[fx:round(mean*w*h)] %@" info: 2>/dev/null
}

# shoot FILE [WxH+X+Y]: a screenshot of the whole screen or of one rectangle of it.
shoot() {
  if [ -n "${2:-}" ]; then
    import -window root -crop "$2" +repage "$1" 2>/dev/null
  else
    import -window root "$1" 2>/dev/null
  fi
}

# rooted_vertical COUNT WxH+X+Y WIDTH HEIGHT: 0 when the fern-coloured box reaches the
# bottom edge and is centred left to right, as the vertical fern is.
rooted_vertical() {
  local bw bh bx by
  [ "${1:-0}" -gt 0 ] || return 1
  IFS='x+' read -r bw bh bx by <<<"$2"
  [ $((by + bh)) -ge $(($4 * 9 / 10)) ] && [ $((bx + bw / 2)) -gt $(($3 * 3 / 10)) ] &&
    [ $((bx + bw / 2)) -lt $(($3 * 7 / 10)) ]
}

# Puts the pointer in the middle of the screen before a full-screen start. The
# progress dialog re-centres the pointer when it sees Escape pressed (the
# platform remembers a press until somebody asks), and treats that move as the
# user's abort unless the pointer was in the middle already; a press left over
# from an earlier program must not cut the ferns short.
center_pointer() {
  local w h
  read -r w h < <(xdpyinfo | awk '/dimensions:/ {split($2, a, "x"); print a[1], a[2]}')
  xdotool mousemove $((w / 2)) $((h / 2))
  sleep 0.3
}

# nested_display OUTER_SCREEN XEPHYR_OPTIONS...: a Xephyr with those options inside a
# private Xvfb of OUTER_SCREEN, and a Wine prefix of its own whose wineserver starts on
# it. DISPLAY is then the Xephyr, $outer the Xvfb around it. Returns 1 with the reason in
# $why: the caller has started things by then, so that is a failure, not a skip.
nested_display() {
  local screen=$1 cookie
  shift
  why=
  . "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-session.sh"  # also morv_xvfb_*
  morv_xvfb_start "$screen" "$work/xvfb.log" || { why="no Xvfb for the Xephyr to run in"; return 1; }
  at_exit morv_xvfb_stop
  outer=$DISPLAY
  # The nested server takes the same cookie as the one it runs in.
  cookie=$(xauth -f "$morv_xvfb_auth" list | awk 'NR == 1 { print $3 }')
  run_bg xephyr Xephyr -displayfd 3 -auth "$morv_xvfb_auth" "$@" -no-host-grab -nolisten tcp \
    3>"$work/xephyr.display"
  wait_file "$work/xephyr.display" 10 && grep -q '^[0-9]' "$work/xephyr.display" ||
    { why="Xephyr did not start$(said xephyr)"; return 1; }
  export DISPLAY=":$(head -1 "$work/xephyr.display")"
  xauth -q -f "$morv_xvfb_auth" add "$DISPLAY" . "$cookie"
  export WINEPREFIX=$work/prefix
  at_exit 'morv_wine_end "$WINEPREFIX"'
  MORV_WINE=$wine morv_wine_boot "$work/wineboot.log" ||
    { why="Wine did not set up the prefix of the nested display"; return 1; }
}
