#!/usr/bin/env bash
# The API reference: installs Doxygen when it is missing, makes the HTML from the public headers
# (the CMake target tagtrack_api_docs, in its own build folder without tests, examples or Open
# CASCADE, none of which the reference needs), and says where it is.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install_deps.sh doxygen

build=build-docs
cmake -S . -B "$build" -DTAGTRACK_BUILD_TESTS=OFF -DTAGTRACK_BUILD_BENCHMARKS=OFF \
  -DTAGTRACK_BUILD_EXAMPLES=OFF -DTAGTRACK_WITH_OCCT=OFF >/dev/null
cmake --build "$build" --target tagtrack_api_docs
echo "the API reference: $PWD/$build/api_docs/html/index.html"
