#!/usr/bin/env bash
# Builds the fuzzers with clang (libFuzzer, address and undefined-behaviour sanitizers) and runs
# each for FUZZ_SECONDS (default 60) from its seed corpus. Not part of the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install_deps.sh
if ! command -v clang++ >/dev/null; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends clang
fi
CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAGTRACK_BUILD_FUZZERS=ON \
  -DTAGTRACK_BUILD_TESTS=OFF -DTAGTRACK_BUILD_BENCHMARKS=OFF -DTAGTRACK_BUILD_EXAMPLES=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build-fuzz -j"${JOBS:-2}"
for fuzzer in recipe_text tag_text model_file; do
  mkdir -p "build-fuzz/corpus/$fuzzer"
  "build-fuzz/fuzz/${fuzzer}_fuzzer" -max_total_time="${FUZZ_SECONDS:-60}" -max_len=4096 \
    "build-fuzz/corpus/$fuzzer" "fuzz/corpus/$fuzzer"
done
