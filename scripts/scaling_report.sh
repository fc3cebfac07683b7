#!/usr/bin/env bash
# The scaling report of tracking and matching: runs the tracking benchmarks and the matching
# benchmarks (linear and indexed) on bodies of 10^3 to 10^6 faces in a Release build, prints the
# table, writes docs/scaling/{tracking,matching}.json and draws docs/scaling/matching.svg, a
# log-log plot of the time per call against the size of the body.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install_deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTAGTRACK_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j"${JOBS:-2}" --target matching_bench tracking_bench >/dev/null
mkdir -p docs/scaling
for program in tracking matching; do
  build-bench/bench/${program}_bench --benchmark_repetitions="${REPETITIONS:-3}" \
    --benchmark_filter="${FILTER:-.}" --benchmark_report_aggregates_only=true \
    --benchmark_out=docs/scaling/$program.json --benchmark_out_format=json >/dev/null
done
python3 scripts/plot_scaling.py docs/scaling/matching.svg docs/scaling/tracking.json \
  docs/scaling/matching.json
