#!/usr/bin/env bash
# fuzz.sh [SECONDS] [TARGET...]
# Builds the fuzz preset (clang, ASan, UBSan) and runs each libFuzzer target for
# SECONDS (default 600), one after the other, at low priority. The inputs it grows
# are kept in build/fuzz/corpus/TARGET for the next run; a finding is written to
# build/fuzz/fuzz-findings and fails the script. Targets: command_line_fuzzer,
# tool_args_fuzzer, x11_options_fuzzer (default all three).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(command_line_fuzzer tool_args_fuzzer x11_options_fuzzer)
declare -A maxLen=([command_line_fuzzer]=8192 [tool_args_fuzzer]=1024 [x11_options_fuzzer]=1024)

cmake --preset fuzz >/dev/null
nice -n 10 cmake --build --preset fuzz
for target in "${targets[@]}"; do
  [ -n "${maxLen[$target]:-}" ] || { echo "unknown target $target" >&2; exit 2; }
  mkdir -p "build/fuzz/corpus/$target"
  echo "=== $target for ${seconds}s ($(date +%T))"
  FUZZ_CORPUS="build/fuzz/corpus/$target" nice -n 10 bash tests/fuzz/run_fuzzer.sh \
    "build/fuzz/tests/fuzz/$target" "tests/fuzz/corpus/$target" build/fuzz/fuzz-findings \
    -max_total_time="$seconds" -max_len="${maxLen[$target]}"
done
