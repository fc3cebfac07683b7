#!/usr/bin/env bash
# Builds tagtrack and runs its demonstration program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"${JOBS:-2}" --target show_model >/dev/null
build/examples/show_model
