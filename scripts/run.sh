#!/usr/bin/env bash
# The main job: installs what is missing, builds the saver and runs it full screen
# under Wine. With an X display (DISPLAY set) it runs there until you move the
# mouse or press a key. Without one it runs on a private virtual display until the
# first (vertical) fern is complete, saves a screenshot of it to out/saver.png and
# ends the saver with a key press. The exit code is the saver's. When the saver ends
# with -1 (255 here), it shows why: the saver's own notes (its debug output) and
# Wine's errors.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash .ci/install-deps.sh
. scripts/wine-session.sh
morv_wine_pick
morv_wine_build Morvessantique
scr="$root/build/$MORV_WIN_PRESET/shell/Morvessantique.scr"
echo "built $scr"

# why_minus_one FILE: the saver's debug output and Wine's errors, from its stderr, and
# the errors of Wine's set-up of the prefix.
why_minus_one() {
  echo "the saver ended with -1; what it and Wine said:"
  grep -E ':(debugstr|err):|^wine' "$1" | sed 's/^/  /' | tail -n 20 || echo "  nothing"
  echo "what Wine said while it set up the prefix:"
  grep -E ':err:|^wine' "$MORV_WINE_TMP/wineboot.log" | sed 's/^/  /' | tail -n 10 || echo "  nothing"
}
# Wine shows a program's debug output on its debugstr channel.
saver_debug=-all,err+all,warn+debugstr

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  morv_wine_start
  echo "Morvessantique runs full screen on $DISPLAY: move the mouse or press a key to end it."
  status=0
  WINEDEBUG=$saver_debug "$MORV_WINE" "$scr" /s 2>"$MORV_WINE_TMP/saver.err" || status=$?
  echo "the saver ended with exit code $status"
  [ "$status" -eq 255 ] && why_minus_one "$MORV_WINE_TMP/saver.err"
  exit "$status"
fi

morv_wine_start xvfb
. tests/e2e/saver_lib.sh
saver_require_session
at_exit morv_wine_stop
mkdir -p out
shot="$root/out/saver.png"
rm -f "$shot"
limit=${MORV_RUN_SECONDS:-90}
echo "no X display: running the saver on a virtual 1024x768 display until its first fern is complete (at most ${limit} s)"
center_pointer
WINEDEBUG=$saver_debug start saver "$scr" /s
# The vertical fern grows one level a tick, then the picture holds for 4 s: the
# first screenshot that shows it rooted at the bottom middle and no longer growing
# for a second is the complete fern.
complete=0 last=-1 since=0
deadline=$(($(now_ms) + limit * 1000))
if wait_saver saver "$limit"; then
  while [ "$(now_ms)" -lt "$deadline" ] && [ ! -s "$work/saver.exit" ]; do
    shoot "$work/shot.png"
    read -r count box < <(shot_stats "$work/shot.png") || true
    if rooted_vertical "${count:-0}" "$box" 1024 768 && [ "$count" -eq "$last" ]; then
      if [ $(($(now_ms) - since)) -ge 1000 ]; then
        cp "$work/shot.png" "$shot"
        complete=1
        echo "the vertical fern is complete: $count fern-coloured pixels"
        break
      fi
    else
      last=${count:-0} since=$(now_ms)
    fi
    sleep 0.2
  done
else
  echo "$why"
fi
if [ "$complete" -eq 0 ]; then
  shoot "$shot"
  echo "no complete fern was seen; the screen as it was: $shot"
fi
[ -s "$work/saver.exit" ] || xdotool key space
wait_exit saver 20 || { echo "the saver did not end after a key press"; exit 1; }
status=$(exit_code saver)
echo "the saver ended with exit code $status"
[ "$status" -eq 255 ] && why_minus_one "$work/saver.err"
[ "$complete" -eq 1 ] && echo "screenshot of the complete fern: $shot"
[ "$status" -eq 0 ] && [ "$complete" -eq 0 ] && status=1
exit "$status"
