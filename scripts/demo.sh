#!/usr/bin/env bash
# Builds tagtrack and runs its demonstration: the road of one reference, from a tagged feature
# model to a recipe kept as text and back to the same edge in the regenerated model.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"${JOBS:-2}" --target road_of_one_reference >/dev/null
build/examples/road_of_one_reference
