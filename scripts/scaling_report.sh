#!/usr/bin/env bash
# The scaling report of matching: runs the matching benchmarks (linear and indexed, 10^3 to 10^6
# faces) in a Release build, prints the table, writes docs/scaling/matching.json and draws
# docs/scaling/matching.svg, a log-log plot of the time per match against the size of the body.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install_deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTAGTRACK_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j"${JOBS:-2}" --target matching_bench >/dev/null
mkdir -p docs/scaling
build-bench/bench/matching_bench --benchmark_repetitions="${REPETITIONS:-3}" \
  --benchmark_report_aggregates_only=true --benchmark_out=docs/scaling/matching.json \
  --benchmark_out_format=json
python3 scripts/plot_scaling.py docs/scaling/matching.json docs/scaling/matching.svg
