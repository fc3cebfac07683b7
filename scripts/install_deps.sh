#!/usr/bin/env bash
# Installs what building and testing tagtrack needs, and the packages named as arguments, only when
# something is missing.
set -euo pipefail

# Open CASCADE's modelling and file packages; the visualization package carries one modelling
# header and tbb is linked by its kernel target, though nothing here draws. The Draw package holds
# Open CASCADE's modelling function drivers (TKDCAF), which one test program runs beside the
# tnaming method; nothing installed links it.
needed=(cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev valgrind
        libocct-foundation-dev libocct-modeling-data-dev libocct-modeling-algorithms-dev
        libocct-ocaf-dev libocct-visualization-dev libocct-data-exchange-dev libocct-draw-dev
        libtbb-dev
        libcli11-dev nlohmann-json3-dev "$@")
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
