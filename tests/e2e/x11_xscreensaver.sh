#!/usr/bin/env bash
# The display mode under the real XScreenSaver daemon. The daemon runs display
# modes only for an ordinary user (as root it shows "XScreenSaver: Don't log in
# as root."), so as root the daemon runs as a system user made for this run and
# removed at its end. Activation shows a fern growing upward from the bottom
# middle of the screen; deactivation ends the program without X errors.
#   x11_xscreensaver.sh MORVESSANTIQUE
set -uo pipefail
bin=$1
. "$(dirname "$0")/x11_lib.sh"
x11_session 640x480 xscreensaver xscreensaver-command setpriv

mkdir -p "$work/home" "$work/bin"
install -m 755 "$bin" "$work/bin/morvessantique"
# As a user would list it: the XScreenSaver window comes with --root.
cat >"$work/home/.xscreensaver" <<CONF
timeout: 1:00:00
lock: False
fade: False
unfade: False
splash: False
dpmsEnabled: False
mode: one
selected: 0
programs: "Morvessantique" $work/bin/morvessantique --root \n
CONF
cp "$XAUTHORITY" "$work/home/.Xauthority"
as_user=()
if [ "$(id -u)" = 0 ]; then
  # One user per run, named after the script's process: runs beside each other (other
  # worktrees, a chroot) never share one, so none removes another's. Users of runs
  # that were killed before their cleanup are removed here.
  for old in $(getent passwd | awk -F: '/^morvessantique-test-[0-9]+:/ { print $1 }'); do
    [ -e "/proc/${old##*-}" ] || userdel "$old" 2>/dev/null || true
  done
  user=morvessantique-test-$$
  useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user" ||
    { echo "FAIL: cannot create the user $user"; exit 1; }
  at_exit "userdel $user"  # says why if it cannot, and fails the script
  chown -R "$user:" "$work/home"
  as_user=(setpriv --reuid="$(id -u "$user")" --regid="$(id -g "$user")" --clear-groups)
fi
as_user+=(env HOME="$work/home" DISPLAY="$DISPLAY" XAUTHORITY="$work/home/.Xauthority")
command_ok() { "${as_user[@]}" xscreensaver-command "$@" >>"$work/command.log" 2>&1; }

"${as_user[@]}" xscreensaver -no-splash -verbose >"$work/daemon.log" 2>&1 &
daemon=$!
pids+=("$daemon")
# The daemon answers once it has read its settings and grabbed the screen: on a loaded
# machine that can take a while.
for _ in $(seq 1 150); do command_ok -time && break; sleep 0.2; done
command_ok -activate || fail "xscreensaver-command -activate: $(tail -1 "$work/command.log"); the daemon said: $(tail -3 "$work/daemon.log" | tr '\n' ' ')"

# hack_pid: the display mode the daemon started, from /proc.
hack_pid() {
  local p
  for p in $(descendants "$daemon"); do
    [ "$(tr '\0' '\n' <"/proc/$p/cmdline" 2>/dev/null | head -1)" = "$work/bin/morvessantique" ] &&
      echo "$p" && return 0
  done
  return 1
}
hack=
for _ in $(seq 1 100); do
  hack=$(hack_pid) && break
  sleep 0.1
done
if [ -z "$hack" ]; then
  fail "the daemon did not start morvessantique: $(grep -i -m3 'root\|morvessantique' "$work/daemon.log")"
  finish
  exit
fi
pass "the daemon runs: $(tr '\0' ' ' </proc/$hack/cmdline) with $(tr '\0' '\n' \
  </proc/$hack/environ | grep '^XSCREENSAVER_WINDOW=')"
# pids are ended at exit in order; the daemon's display mode is one of them.
pids+=("$hack")

# One depth level per 50 ms: the 640x480 vertical fern grows for 5.5 s, and a cycle of
# both ferns with their pauses takes about 20 s. Screenshots until two in a row show the
# vertical fern standing on the bottom middle, the second larger and taller: growth seen
# within one growing phase, wherever the first screenshot falls in the cycle.
last= seen= grew=
deadline=$(($(now_ms) + 45000))
while [ -z "$grew" ] && [ "$(now_ms)" -lt "$deadline" ]; do
  stats=$(fern_shot "$work/shot.png")
  read -r count _ height _ top <<<"$stats"
  if [ "$count" -gt 0 ] && [ $((top + height)) -eq 480 ] && stem_at "$work/shot.png" 320 476; then
    seen=$stats
    read -r last_count _ _ _ last_top <<<"${last:-0 0 0 0 0}"
    [ -n "$last" ] && [ "$count" -gt "$last_count" ] && [ "$top" -lt "$last_top" ] &&
      grew="$last, then $stats"
    last=$stats
  else
    last=
  fi
  sleep 0.2
done
if [ -n "$grew" ]; then
  pass "the fern grows upward from the bottom middle ($grew)"
elif [ -n "$seen" ]; then
  fail "the fern stands on the bottom middle but was not seen growing: $seen"
else
  fail "no fern standing on the bottom middle after activation: $stats; the daemon said: $(tail -3 "$work/daemon.log" | tr '\n' ' ')"
fi

command_ok -deactivate || fail "xscreensaver-command -deactivate"
for _ in $(seq 1 100); do
  kill -0 "$hack" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$hack" 2>/dev/null; then
  fail "morvessantique still runs 10 s after -deactivate"
elif grep -E 'morvessantique:|X Error|BadWindow|BadDrawable|GLXBad' "$work/daemon.log"; then
  fail "errors from morvessantique in the daemon's output"
else
  pass "-deactivate ends morvessantique without X errors"
fi
command_ok -exit
finish
