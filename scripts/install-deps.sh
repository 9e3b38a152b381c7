#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs, skipping those already
# present. Usage: scripts/install-deps.sh [--windows]
#   --windows  also the MinGW-w64 cross compiler and Wine for the .aex build
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev libmpfr-dev
  clang-format
  libopenimageio-dev openimageio-tools libcli11-dev nlohmann-json3-dev
  fonts-dejavu-core
)
if [[ "${1:-}" == "--windows" ]]; then
  packages+=(g++-mingw-w64-x86-64-posix wine64 wine)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

sudo=""
if [[ $(id -u) -ne 0 ]]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
