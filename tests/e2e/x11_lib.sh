# Shared by the Linux display mode's end-to-end scripts (sourced): a private Xvfb
# for each script, screenshots, and the program started in the background.
. "$(dirname "${BASH_SOURCE[0]}")/saver_lib.sh"  # script_lib.sh, shoot, shot_stats, wait_window
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xvfb.sh"

# x11_session WIDTHxHEIGHT [COMMAND...]: skips (77) without the tools X needs and
# the COMMANDs the script names, before anything runs; else starts a private Xvfb
# with a black root and sets DISPLAY, XAUTHORITY and $work. Everything ends at exit.
x11_session() {
  local size=$1 needed
  shift
  for needed in Xvfb xauth xdpyinfo xdotool import convert compare "$@"; do
    command -v "$needed" >/dev/null || { echo "SKIP: needs $needed"; exit 77; }
  done
  script_begin x11-e2e
  chmod 755 "$work"
  morv_xvfb_start "${size}x24" "$work/xvfb.log" -br || { echo "FAIL: no Xvfb"; exit 1; }
  at_exit morv_xvfb_stop
}

# signal_running NAME SIGNAL: sends it to the program run as NAME, which must not have
# ended before it (then the end that follows proves nothing).
signal_running() {
  [ ! -s "$work/$1.exit" ] || fail "$1 ended before SIG$2, with $(exit_code "$1")$(said "$1")"
  kill "-$2" "$(cat "$work/$1.pid")"
}

# ended_with NAME CODE WHAT: the program run as NAME ends within 10 s of this call, made
# right after what should end it, with CODE and nothing on stderr.
ended_with() {
  local start
  start=$(now_ms)
  if ! wait_exit "$1" 10; then
    fail "$3: still running after 10 s"
  elif [ "$(exit_code "$1")" != "$2" ] || [ -s "$work/$1.err" ]; then
    fail "$3: exit $(exit_code "$1"), expected $2$(said "$1")"
  else
    pass "$3: exit $2 after $(($(now_ms) - start)) ms"
  fi
}

# fern_shot FILE [WxH+X+Y]: a screenshot; prints "COUNT W H X Y" of its fern-coloured
# pixels (count and bounding box; 0 0 0 0 0 when there are none).
fern_shot() {
  shoot "$@"
  shot_stats "$1" | awk '{ split($2, b, /[x+]/)
                           if ($1 == 0) print "0 0 0 0 0"; else print $1, b[1], b[2], b[3], b[4] }'
}

# wait_fern FILE SECONDS AWK_CONDITION [CROP]: takes screenshots until the fern
# statistics ($1 count, $2 width, $3 height, $4 left, $5 top) meet the condition;
# prints the last statistics and returns 1 if they never did.
wait_fern() {
  local file=$1 seconds=$2 condition=$3 crop=${4:-} stats end
  end=$(($(date +%s) + seconds))
  while :; do
    stats=$(fern_shot "$file" $crop)
    if echo "$stats" | awk "{ exit !($condition) }"; then
      echo "$stats"
      return 0
    fi
    if [ "$(date +%s)" -ge "$end" ]; then
      echo "$stats"
      return 1
    fi
    sleep 0.2
  done
}

# stem_at FILE X Y: is the pixel at (X, Y) or a neighbour in its row fern-coloured?
stem_at() {
  local crop="3x1+$(($2 - 1))+$3"
  [ "$(convert "$1" -crop "$crop" +repage -colorspace HSL -channel G -separate +channel \
       -threshold 50% -format '%[fx:round(mean*w*h)]' info: 2>/dev/null)" != 0 ]
}
