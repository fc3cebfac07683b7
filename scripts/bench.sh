#!/usr/bin/env bash
# Builds and runs the benchmarks (never part of the tests).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install_deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTAGTRACK_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j"${JOBS:-2}" >/dev/null
for program in build-bench/bench/*_bench; do "$program" "$@"; done
