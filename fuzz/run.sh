#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: fuzz/run.sh <build-dir> <seconds>
# Writes the seed corpus, then runs every fuzz target for the given time.
# Allocations above 512 MB count as failures: the reader must refuse
# oversized pictures before it allocates them.
set -euo pipefail
build=${1:?usage: run.sh <build-dir> <seconds>}
seconds=${2:-60}
bin="$build/fuzz"
work="$build/fuzz-corpus"
mkdir -p "$work/seeds"
"$bin/fuzz_seeds" "$work/seeds"
# The PNG seeds are the PngSuite the tests read, corrupt files included.
mkdir -p "$work/png-seeds"
cp "$(dirname "$0")/../tests/data/pngsuite/"*.png "$work/png-seeds/"
for target in fuzz_bmpreader fuzz_pngreader fuzz_load fuzz_rdp fuzz_scene; do
  mkdir -p "$work/$target" "$work/$target-artifacts"
  echo "== $target for ${seconds}s"
  "$bin/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -malloc_limit_mb=512 -timeout=30 \
    -max_len=16384 -print_final_stats=1 -artifact_prefix="$work/$target-artifacts/" \
    "$work/$target" "$work/seeds" "$work/png-seeds"
done
echo "fuzzing finished without failures"
