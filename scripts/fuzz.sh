#!/usr/bin/env bash
# Builds the fuzzers with clang (libFuzzer, address and undefined-behaviour sanitizers) and runs
# each for FUZZ_SECONDS (default 60) from its seed corpus, with the dictionary of its type words.
# Any finding (crash, leak, failed property, a unit slower than FUZZ_UNIT_SECONDS) fails the run;
# libFuzzer leaves the input in build-fuzz/findings, and it becomes a seed in fuzz/corpus/.
# FUZZ_RUNS, when set, runs that many executions per target instead of a time budget. Open CASCADE
# is on, for the fuzzer of model files holding its shapes; its libraries are used as installed, not
# instrumented.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install_deps.sh
if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a \
    >/dev/null 2>&1; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends \
    clang libclang-rt-14-dev
fi
CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAGTRACK_BUILD_FUZZERS=ON \
  -DTAGTRACK_BUILD_TESTS=OFF -DTAGTRACK_BUILD_BENCHMARKS=OFF -DTAGTRACK_BUILD_EXAMPLES=OFF \
  -DTAGTRACK_WITH_OCCT=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
fuzzers=(recipe_text tag_text model_file fixed_point scenario_file occt_model_file)
cmake --build build-fuzz -j"${JOBS:-2}" --target "${fuzzers[@]/%/_fuzzer}"
mkdir -p build-fuzz/findings
if [ -n "${FUZZ_RUNS:-}" ]; then budget=(-runs="$FUZZ_RUNS"); else budget=(-max_total_time="${FUZZ_SECONDS:-60}"); fi
for fuzzer in "${fuzzers[@]}"; do
  mkdir -p "build-fuzz/corpus/$fuzzer"
  flags=(-max_len=4096)
  # Its seeds hold whole shapes. Without -use_cmp=0 libFuzzer copies the check sum an embedded
  # shape is compared with into its inputs, and so feeds damaged shape texts to Open CASCADE's
  # reader, which the sum keeps them from (see occt_model_file_fuzzer.cpp).
  [ "$fuzzer" = occt_model_file ] && flags=(-max_len=8192 -use_cmp=0)
  status=0
  "build-fuzz/fuzz/${fuzzer}_fuzzer" "${budget[@]}" "${flags[@]}" \
    -timeout="${FUZZ_UNIT_SECONDS:-10}" -dict="fuzz/dict/$fuzzer.dict" -print_final_stats=1 \
    -artifact_prefix="build-fuzz/findings/${fuzzer}-" "build-fuzz/corpus/$fuzzer" \
    "fuzz/corpus/$fuzzer" >"build-fuzz/$fuzzer.log" 2>&1 || status=$?
  echo "$fuzzer: $(grep -E '^stat::number_of_executed_units' "build-fuzz/$fuzzer.log" | tr -d ' ')"
  if [ "$status" -ne 0 ]; then
    grep -E 'ERROR|SUMMARY|Test unit written' "build-fuzz/$fuzzer.log" || tail -20 "build-fuzz/$fuzzer.log"
    echo "fuzzer $fuzzer found a fault (exit $status)"
    exit 1
  fi
done
