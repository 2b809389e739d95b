#!/usr/bin/env bash
# Runs the full-screen saver with "Fast Madness" on for a given time (default
# 30 minutes) on a private virtual display and checks that its memory, handles
# and windows stop growing after the first fern cycle (tests/e2e/saver_soak.sh;
# the test command runs the same check for 2 minutes).
#   bash scripts/soak.sh [MINUTES]
# The samples and the start, end and peak figures go to out/soak.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
minutes=${1:-30}

. scripts/wine-session.sh
morv_wine_pick
morv_wine_build Morvessantique saver_outside_probe
build="$root/build/$MORV_WIN_PRESET"
morv_wine_start xvfb
mkdir -p out
rm -f out/soak.txt
MORV_SOAK_LOG="$root/out/soak.txt" bash tests/e2e/saver_soak.sh "$build/shell/Morvessantique.scr" \
  "$build/tests/saver_outside_probe.exe" $((minutes * 60))
