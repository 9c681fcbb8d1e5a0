#!/usr/bin/env bash
# run-fuzz.sh <fuzzer> <work-corpus-dir> [seed-dir]: a bounded libFuzzer run.
set -eu
fuzzer=$1; work=$2; seeds=${3:-}
rm -rf "$work"; mkdir -p "$work"
if [ -n "$seeds" ] && [ -d "$seeds" ]; then cp -r "$seeds"/. "$work"/; fi
exec "$fuzzer" -max_total_time="${ZARN_FUZZ_SECONDS:-60}" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$work"
