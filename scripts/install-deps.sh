#!/usr/bin/env bash
# Installs the Debian packages the build needs. Only what is missing is
# installed, so a second run is quick and says nothing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libpugixml-dev libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev pybind11-dev python3-dev python3-pytest
  libboost1.81-dev nlohmann-json3-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
