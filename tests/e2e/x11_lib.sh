# Shared by the Linux display mode's end-to-end scripts (sourced): a private Xvfb
# for each script, screenshots, and the program started in the background.
. "$(dirname "${BASH_SOURCE[0]}")/saver_lib.sh"  # fail, pass, shoot, shot_stats

# x11_session WIDTHxHEIGHT: skips (77) without the tools; else starts Xvfb on the
# first free display from :150 (the Wine sessions take the lowest free numbers), with a
# black root and no access control (so that a second user can draw on it), and
# sets DISPLAY and $work. An EXIT trap ends it all.
x11_session() {
  local n i needed
  for needed in Xvfb xdpyinfo xdotool import convert compare; do
    command -v "$needed" >/dev/null || { echo "SKIP: needs $needed"; exit 77; }
  done
  work=$(mktemp -d /tmp/morv-x11-e2e.XXXXXX)
  chmod 755 "$work"
  pids=()
  failures=0
  passes=0
  trap x11_cleanup EXIT
  for n in $(seq 150 199); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    # Xvfb writes the number to fd 3 once it listens; when another run took the
    # display first, it ends instead, and the next number is tried.
    : >"$work/display"
    Xvfb ":$n" -screen 0 "$1x24" -nolisten tcp -ac -br -displayfd 3 3>"$work/display" \
      >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for i in $(seq 1 100); do
      if [ -s "$work/display" ]; then
        export DISPLAY=":$n"
        return 0
      fi
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$xvfb_pid" 2>/dev/null
    xvfb_pid=
  done
  echo "FAIL: no Xvfb display free from :150 to :199"
  exit 1
}

x11_cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
  [ -n "${MORV_E2E_KEEP:-}" ] && echo "kept $work" || rm -rf "$work"
}

# run_bg NAME COMMAND...: runs it in the background; its process id lands in
# $work/NAME.pid and, once it has ended, its exit code in $work/NAME.exit.
run_bg() {
  local name=$1
  shift
  rm -f "$work/$name.exit" "$work/$name.pid"
  (
    "$@" >"$work/$name.out" 2>"$work/$name.err" &
    echo $! >"$work/$name.pid"
    wait $!
    echo $? >"$work/$name.exit"
  ) &
  pids+=($!)
  wait_file "$work/$name.pid" 5
  pids+=("$(cat "$work/$name.pid")")
}

# wait_file FILE SECONDS: 0 once FILE has content.
wait_file() {
  local i
  for ((i = 0; i < $2 * 10; i++)); do
    [ -s "$1" ] && return 0
    sleep 0.1
  done
  return 1
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
