#!/usr/bin/env bash
# morv_wine_boot (scripts/wine-session.sh) against a stand-in wine that models a prefix's
# set-up as Wine's wineboot does it: the registry file is saved whatever happened, but it
# holds the user's profile path only when the set-up ran to its end, and -i does nothing
# on a prefix whose stamp is already there (-u always sets it up). The check passes a
# ready prefix whatever Wine printed, finishes a half-made one, and otherwise fails,
# saying so last on stderr with Wine's first error.
. "$(dirname "$0")/../support/strict.sh"
set -e
stubs=$(mktemp -d /tmp/morv-wine-boot.XXXXXX)
trap 'rm -rf "$stubs"' EXIT
# Each start takes the next line of $STUB_PLAN: done (the set-up completes), cut (it
# ends early) or fail (wine cannot start).
cat >"$stubs/wine" <<'EOF'
#!/bin/sh
what=$(head -n 1 "$STUB_PLAN") && sed -i 1d "$STUB_PLAN"
[ "$what" = fail ] && { echo "wine: could not load kernel32.dll" >&2; exit 1; }
mkdir -p "$WINEPREFIX" && echo "wine: created the configuration directory '$WINEPREFIX'" >&2
[ "$2" = -i ] && [ -f "$WINEPREFIX/.update-timestamp" ] && exit 0
echo 1 >"$WINEPREFIX/.update-timestamp"
echo '[Software\\Wine] 1' >"$WINEPREFIX/system.reg.pending"
[ "$what" = done ] && echo '"ProfileImagePath"="C:\\users\\me"' >>"$WINEPREFIX/system.reg.pending"
exit 0
EOF
# The server saves the registry to system.reg as it ends, which wineserver -w waits for.
cat >"$stubs/wineserver" <<'EOF'
#!/bin/sh
[ "$1" = -w ] && [ -f "$WINEPREFIX/system.reg.pending" ] &&
  mv "$WINEPREFIX/system.reg.pending" "$WINEPREFIX/system.reg"
exit 0
EOF
chmod +x "$stubs/wine" "$stubs/wineserver"
. "$(dirname "$0")/../../scripts/wine-session.sh"
failed=0
# boot CASE "PLAN" STATUS [LAST-LINE]: the check on a new prefix ends with STATUS (0 or 1)
# and, when it fails, its last line on stderr matches LAST-LINE.
boot() {
  local status=0
  printf '%s\n' $2 >"$stubs/$1.plan"
  # A Wine that is not installed is the point of one case: there bash's own "command
  # not found" must reach the check, not the strict prologue's failure of this script.
  ( [ -z "${STUB_WINE:-}" ] || unset -f command_not_found_handle
    PATH=$stubs:$PATH MORV_WINE=${STUB_WINE:-wine} WINEPREFIX=$stubs/$1 STUB_PLAN=$stubs/$1.plan \
      morv_wine_boot "$stubs/$1.log" ) 2>"$stubs/$1.said" || status=1
  if [ "$status" -ne "$3" ] || { [ "$3" -eq 1 ] && ! tail -n 1 "$stubs/$1.said" | grep -q "$4"; }; then
    echo "FAIL: $1: morv_wine_boot ended with $status, expected $3; it said:"
    cat "$stubs/$1.said"
    failed=1
  else
    echo "ok: $1"
  fi
}
boot ready "done" 0
boot half-made-then-finished "cut done" 0
boot half-made-thrice "cut cut cut" 1 "did not set up .* in 3 tries: it said nothing"
boot wine-fails "fail fail fail" 1 "did not set up .* in 3 tries: wine: could not load kernel32.dll"
STUB_WINE=no-such-wine boot wine-missing "" 1 "did not set up .* in 3 tries: .*no-such-wine: command not found"
exit $failed
