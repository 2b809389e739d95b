#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test suite: the host tests
# (with the Linux display mode's end-to-end scripts under the real XScreenSaver daemon,
# its Debian package, and the i386 build of the fern engine, natively or under
# qemu-i386), the web page in Chromium, Firefox ESR and WebKitGTK and the WebAssembly
# engine under Node, the same tests under AddressSanitizer/UBSan, short fuzzing runs,
# and the Windows build's tests and end-to-end scripts under Wine on a virtual X display.
#
# The Windows tests spend most of their time waiting on Wine and on the saver's ticks,
# not computing: once the Windows builds are made they run in the background, one at a
# time on a display of their own, while the other suites use the processors.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash .ci/install-deps.sh

jobs=$(nproc)
step() { printf '\n=== %s (%s)\n' "$*" "$(date +%T)"; }

step "host build and tests"
cmake --preset host -DMORV_WERROR=ON >/dev/null
cmake --build --preset host -j "$jobs"
ctest --preset host -j "$jobs"

step "win32 build (the shipping 32-bit deliverables)"
cmake --preset win32 -DMORV_WERROR=ON -DMORV_HOST_TOOL="$root/build/host/tools/morvessantique-tool" >/dev/null
cmake --build --preset win32 -j "$jobs"

. scripts/wine-session.sh
morv_wine_pick
if [ "$MORV_WIN_PRESET" = win64 ]; then
  step "win64 build (this machine cannot run 32-bit Wine: the Windows tests run from the 64-bit build)"
  cmake --preset win64 -DMORV_WERROR=ON -DMORV_HOST_TOOL="$root/build/host/tools/morvessantique-tool" >/dev/null
  cmake --build --preset win64 -j "$jobs"
fi

step "$MORV_WIN_PRESET tests under Wine on a virtual display: started in the background"
# In a process group of its own, with its own Wine session (prefix, display, wineserver);
# one test at a time: the tests share one display, one registry and one wineserver. Its
# output goes to a log, shown at the end, and also when this script ends early after it
# failed. Whatever ends this script ends the run and everything it started, and removes
# their temporary folders (scripts/run-group.sh).
. scripts/run-group.sh
runs=$(mktemp -d /tmp/morv-test.XXXXXX)
wine_log=$runs/wine-tests.log
wine_tests=
trap 'morv_runs_end "$runs" "$wine_tests" "$wine_log" "the $MORV_WIN_PRESET tests under Wine"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP
morv_group_start "$runs/wine" bash -c '. scripts/wine-session.sh && morv_wine_start xvfb &&
  ctest --preset "$MORV_WIN_PRESET" -j 1' >"$wine_log" 2>&1
wine_tests=$morv_group_pid

step "web page: emscripten build, then the page in Chromium, Firefox ESR and WebKitGTK against the host tool's pictures"
cmake --preset web -DMORV_WERROR=ON -DMORV_HOST_TOOL="$root/build/host/tools/morvessantique-tool" >/dev/null
cmake --build --preset web -j "$jobs"
# Its own group too, so that what its browsers leave behind ends with it.
morv_group_run "$runs/web" ctest --preset web

step "the tool's trace and png under Valgrind's memcheck"
bash tests/host/valgrind_tool.sh build/host/tools/morvessantique-tool

step "host tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset host-asan -DMORV_WERROR=ON >/dev/null
cmake --build --preset host-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset host-asan -j "$jobs"

step "libFuzzer targets, a fixed 20,000 executions each (clang, ASan, UBSan)"
cmake --preset fuzz -DMORV_WERROR=ON >/dev/null
cmake --build --preset fuzz -j "$jobs"
ctest --preset fuzz -j "$jobs"

# --- release files: reproducible and signed, and the Debian package checked by lintian ---
step "release files built and signed twice in two scratch folders and compared; signatures verified; lintian on the Debian package"
bash tests/release/reproducible.sh
# --- end release files ---

step "$MORV_WIN_PRESET tests under Wine on a virtual display: waiting for them"
wine_status=0
wait "$wine_tests" || wine_status=$?
wine_tests=  # ended, and its log is shown here
cat "$wine_log"
[ "$wine_status" = 0 ] || { echo "the $MORV_WIN_PRESET tests under Wine failed ($wine_status)" >&2; exit "$wine_status"; }
if [ "$MORV_WIN_PRESET" = win64 ]; then
  # The checks of what ships read the win32 build's files and zip from the Linux side;
  # only the installer run from the unpacked zip needs 32-bit Wine and is skipped.
  step "release checks of the win32 build (import audit, resources, zip)"
  ctest --preset win32 -L release -j 1
fi
step "done"
