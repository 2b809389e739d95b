#!/usr/bin/env bash
# The main job: installs what is missing, builds the saver and runs it full screen
# under Wine. With an X display (DISPLAY set) it runs there until you move the
# mouse or press a key. Without one it runs on a private virtual display for a
# while, saves a screenshot to out/saver.png and ends the saver with a key press.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash .ci/install-deps.sh
. scripts/wine-session.sh
morv_wine_pick
cmake --preset "$MORV_WIN_PRESET" >/dev/null
cmake --build --preset "$MORV_WIN_PRESET" -j "$(nproc)" --target Morvessantique >/dev/null
scr="$root/build/$MORV_WIN_PRESET/shell/Morvessantique.scr"
echo "built $scr"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  morv_wine_start
  echo "Morvessantique runs full screen on $DISPLAY: move the mouse or press a key to end it."
  status=0
  "$MORV_WINE" "$scr" /s || status=$?
  echo "the saver ended with exit code $status"
  exit "$status"
fi

morv_wine_start xvfb
mkdir -p out
"$MORV_WINE" "$scr" /s &
saver=$!
seconds=${MORV_RUN_SECONDS:-15}
echo "no X display: running the saver on a virtual 1024x768 display for ${seconds} s"
sleep "$seconds"
import -window root out/saver.png
echo "screenshot: out/saver.png"
xdotool key space
status=0
wait "$saver" || status=$?
echo "the saver ended on a key press with exit code $status"
exit "$status"
