#!/usr/bin/env bash
# The API reference: installs Doxygen when it is missing, makes the HTML from the public headers
# (the CMake target tagtrack_api_docs, in its own build folder without tests, examples or Open
# CASCADE, none of which the reference needs), and says where it is.
set -euo pipefail
cd "$(dirname "$0")/.."

needed=(doxygen cmake g++ make)
missing=()
for package in "${needed[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

build=build-docs
cmake -S . -B "$build" -DTAGTRACK_BUILD_TESTS=OFF -DTAGTRACK_BUILD_BENCHMARKS=OFF \
  -DTAGTRACK_BUILD_EXAMPLES=OFF -DTAGTRACK_WITH_OCCT=OFF >/dev/null
cmake --build "$build" --target tagtrack_api_docs
echo "the API reference: $PWD/$build/api_docs/html/index.html"
