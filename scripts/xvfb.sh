# Sourced: a private virtual X display for a script, the one way the project starts one.
#   morv_xvfb_start SCREEN LOG [Xvfb options]   e.g. 1024x768x24; sets DISPLAY, XAUTHORITY,
#                                               morv_xvfb_pid and morv_xvfb_auth
#   morv_xvfb_stop                              ends that server, removes its cookie
# The server picks a number that it could really take (-displayfd): lock files do not
# tell, since servers in other file-system roots (a chroot) share the abstract socket
# names. Clients need the server's cookie (no -ac): XAUTHORITY names a file of our own.

morv_xvfb_start() {
  local screen=$1 log=$2 number cookie i
  shift 2
  morv_xvfb_auth=$(mktemp "${TMPDIR:-/tmp}/morv-xauth.XXXXXX")
  cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
  # The server takes every cookie in the file, whatever display it names; this entry
  # names a host that no client looks for. The client's entry follows once the
  # number is known.
  xauth -q -f "$morv_xvfb_auth" add morv-xvfb/unix:0 . "$cookie" || return 1
  number=$(mktemp)
  Xvfb -displayfd 3 -auth "$morv_xvfb_auth" -screen 0 "$screen" -nolisten tcp "$@" \
    3>"$number" >"$log" 2>&1 &
  morv_xvfb_pid=$!
  for i in $(seq 1 100); do
    if grep -q '^[0-9]' "$number" 2>/dev/null; then
      export DISPLAY=":$(head -1 "$number")"
      export XAUTHORITY=$morv_xvfb_auth
      rm -f "$number"
      xauth -q -f "$morv_xvfb_auth" add "$DISPLAY" . "$cookie" && return 0
      break
    fi
    kill -0 "$morv_xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$number"
  echo "Xvfb did not start: $(tail -1 "$log")" >&2
  morv_xvfb_stop
  return 1
}

morv_xvfb_stop() {
  [ -n "${morv_xvfb_pid:-}" ] && kill "$morv_xvfb_pid" 2>/dev/null
  [ -n "${morv_xvfb_auth:-}" ] && rm -f "$morv_xvfb_auth"
  morv_xvfb_pid= morv_xvfb_auth=
  true
}
