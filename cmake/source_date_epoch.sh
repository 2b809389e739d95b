#!/bin/sh
# Prints the time every release archive and signature carries, in seconds since 1970:
#   source_date_epoch.sh SOURCE_DIR
# SOURCE_DATE_EPOCH when the caller set it, else the time of SOURCE_DIR's last commit.
# Anything else would put the time of the build into the files, so without either it
# fails and says why. release.sh, the reproducibility test, cpack's archives, the web
# zip and the signing all ask here.
set -eu
[ $# -eq 1 ] || { echo "usage: $0 SOURCE_DIR" >&2; exit 2; }
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  case $SOURCE_DATE_EPOCH in
    *[!0-9]*) echo "SOURCE_DATE_EPOCH must be seconds since 1970, not \"$SOURCE_DATE_EPOCH\"" >&2
              exit 1 ;;
  esac
  echo "$SOURCE_DATE_EPOCH"
  exit 0
fi
if time=$(git -C "$1" log -1 --format=%ct 2>/dev/null) &&
   [ -n "$time" ]; then
  echo "$time"
  exit 0
fi
echo "no archive time: SOURCE_DATE_EPOCH is not set and $1 is not a git checkout to take the last commit's time from" >&2
exit 1
