#!/usr/bin/env bash
# Line and branch coverage of the library folders by the tests (gcovr). Builds in build-coverage,
# runs every test, prints the summary per folder and writes build-coverage/coverage.html.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install_deps.sh
if ! command -v gcovr >/dev/null; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends gcovr
fi
cmake -S . -B build-coverage -DCMAKE_BUILD_TYPE=Debug -DTAGTRACK_BUILD_BENCHMARKS=OFF \
  -DTAGTRACK_BUILD_EXAMPLES=OFF -DCMAKE_CXX_FLAGS="--coverage -O0" \
  -DCMAKE_EXE_LINKER_FLAGS="--coverage" -DCMAKE_SHARED_LINKER_FLAGS="--coverage" >/dev/null
cmake --build build-coverage -j"${JOBS:-2}"
find build-coverage -name '*.gcda' -delete
(cd build-coverage && ctest -j"${JOBS:-2}" -E consumer_project >/dev/null)
folders=(kernel tagging tag_manager recipes tracking matching occt)
filters=()
for folder in "${folders[@]}"; do filters+=(--filter "$folder/"); done
gcovr -r . --object-directory build-coverage "${filters[@]}" --exclude-unreachable-branches \
  --exclude-throw-branches --html-details build-coverage/coverage.html --print-summary >/dev/null
for folder in "${folders[@]}"; do
  printf '%-12s ' "$folder"
  gcovr -r . --object-directory build-coverage --filter "$folder/" --exclude-unreachable-branches \
    --exclude-throw-branches --print-summary 2>/dev/null | grep -E '^(lines|branches)' | tr '\n' ' '
  echo
done
