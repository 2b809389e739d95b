#!/usr/bin/env bash
# The main job: installs what is missing, builds, and shows the ferns' statistics
# for a 1920x1080 screen.
set -euo pipefail
cd "$(dirname "$0")/.."
bash .ci/install-deps.sh
cmake --preset host >/dev/null
cmake --build --preset host -j "$(nproc)" >/dev/null
./build/host/tools/morvessantique-tool stats 1920x1080
