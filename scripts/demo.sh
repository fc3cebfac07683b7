#!/usr/bin/env bash
# Builds tagtrack and runs its demonstration: the road of one reference, from a tagged feature
# model to a recipe kept as text and back to the same edge in the regenerated model, on Open
# CASCADE solids (`tagtrack demo`). `bash scripts/demo.sh reference` runs it on the reference kernel
# instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"${JOBS:-2}" --target tagtrack_command >/dev/null
build/tools/tagtrack demo --kernel "${1:-occt}"
