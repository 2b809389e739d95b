#!/usr/bin/env bash
# run_fuzzer.sh FUZZER SEEDS FINDINGS [libFuzzer options...]
# Runs FUZZER over the committed SEEDS without writing into them: inputs it
# grows go to a scratch directory (FUZZ_CORPUS to keep them), a crashing,
# leaking or hanging input to FINDINGS. Prints the executions reached.
. "$(dirname "$0")/../support/strict.sh"
set -e
fuzzer=$1 seeds=$2 findings=$3
shift 3
mkdir -p "$findings"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
grown=${FUZZ_CORPUS:-$scratch/grown}
mkdir -p "$grown"
set +e
"$fuzzer" -timeout=10 -print_final_stats=1 -artifact_prefix="$findings/$(basename "$fuzzer")-" \
  "$@" "$grown" "$seeds" >"$scratch/log" 2>&1
rc=$?
set -e
if [ "$rc" -ne 0 ]; then
  # From the report's first line on (libFuzzer's start-up lines come before it).
  first=$(grep -n -m1 -E 'ERROR|runtime error|deadly signal|ALARM' "$scratch/log" | cut -d: -f1)
  sed -n "${first:-1},\$p" "$scratch/log" | head -n 80
  echo "FAIL: $(basename "$fuzzer") exit $rc; the input is in $findings"
  exit 1
fi
grep -E '^stat::number_of_executed_units|^Done ' "$scratch/log"
