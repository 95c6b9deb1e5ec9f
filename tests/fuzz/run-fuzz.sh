#!/usr/bin/env bash
# Runs one libFuzzer target of the native build for a bounded time, starting from its committed sample inputs:
#   run-fuzz.sh FUZZER SEED_DIR SECONDS ARTIFACT_DIR [DICTIONARY]
# New inputs go to a temporary folder and are dropped, so a run never adds files to the repository. An input
# that crashes is kept in ARTIFACT_DIR (in the build folder), to be turned into a unit test.
set -euo pipefail
fuzzer=$1
seeds=$2
seconds=$3
artifacts=$4
dictionary=${5:-}

if [ ! -x "$fuzzer" ]; then
  echo "missing $fuzzer: scripts/build.sh builds the native tree (build/native)" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$artifacts"

options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1
  -artifact_prefix="$artifacts/")
if [ -n "$dictionary" ]; then
  options+=(-dict="$dictionary")
fi
# The first folder receives what the run finds; the seeds are only read.
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
if ! "$fuzzer" "${options[@]}" "$work" "$seeds" >"$work/fuzz.log" 2>&1; then
  # The report and the input that failed; libFuzzer prints them at the end.
  tail -n 60 "$work/fuzz.log"
  echo "inputs kept in $artifacts:" >&2
  ls -1 "$artifacts" >&2
  exit 1
fi
tail -n 12 "$work/fuzz.log"
