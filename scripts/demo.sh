#!/usr/bin/env bash
# Builds tagtrack and runs its demonstration: the road of one reference, from a tagged feature
# model to a recipe kept as text and back to the same edge in the regenerated model, on Open
# CASCADE solids (`tagtrack demo`). `bash scripts/demo.sh reference` runs the first-hour example on
# the reference kernel instead (tag, cut, remember, save and restore, regenerate, find again).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"${JOBS:-2}" --target tagtrack_command >/dev/null
if [ "${1:-occt}" = reference ]; then
  cmake --build build -j"${JOBS:-2}" --target first_hour_example >/dev/null
  build/examples/first_hour_example
else
  build/tools/tagtrack demo
fi
