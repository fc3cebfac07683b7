#!/usr/bin/env bash
# Builds tagtrack and runs every test, first in the normal build, then under the address and
# undefined-behaviour sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install_deps.sh

jobs=${JOBS:-2}
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

# The test programs once more under valgrind: no invalid access, no leak. The programs' own
# allocation functions (which inject allocation failures) stay in place over valgrind's. The
# suppressions are leaks inside Open CASCADE, each named by its path (scripts/valgrind.supp).
for program in build/tests/*_tests; do
  valgrind --quiet --error-exitcode=9 --leak-check=full --errors-for-leak-kinds=definite \
    --soname-synonyms=somalloc=nouserintercepts --suppressions=scripts/valgrind.supp \
    "$program" --gtest_brief=1
done

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTAGTRACK_SANITIZE=ON \
  -DTAGTRACK_BUILD_BENCHMARKS=OFF -DTAGTRACK_BUILD_EXAMPLES=OFF
cmake --build build-sanitize -j"$jobs"
(cd build-sanitize && LSAN_OPTIONS=suppressions=$PWD/../scripts/lsan.supp:print_suppressions=0 \
  ctest --output-on-failure -j"$jobs")

# The fuzzers for a short budget each (FUZZ_SECONDS, default 15): any finding fails the run.
FUZZ_SECONDS=${FUZZ_SECONDS:-15} bash scripts/fuzz.sh
