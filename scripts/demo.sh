#!/usr/bin/env bash
# Builds tagtrack and runs its demonstration: the road of one reference, from a tagged feature
# model to a recipe kept as text and back to the same edge in the regenerated model, on Open
# CASCADE solids. `bash scripts/demo.sh reference` runs it on the reference kernel instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if [ "${1:-occt}" = reference ]; then
  cmake --build build -j"${JOBS:-2}" --target road_of_one_reference >/dev/null
  build/examples/road_of_one_reference
else
  cmake --build build -j"${JOBS:-2}" --target occt_road_of_one_reference >/dev/null
  build/examples/occt_road_of_one_reference
fi
