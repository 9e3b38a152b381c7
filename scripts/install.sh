#!/usr/bin/env bash
# Builds the plug-in and the kestrow tool (release) and installs them:
# PREFIX/bin/kestrow, and PREFIX/lib/kestrow/Kestrow.so with its PiPL side
# file Kestrow.pipl, where the tool finds them. Installs missing packages
# first. Prints the installed tool's and plug-in's versions.
# Usage: scripts/install.sh [PREFIX]   (PREFIX defaults to /usr/local)
set -euo pipefail
cd "$(dirname "$0")/.."

prefix="${1:-/usr/local}"

scripts/install-deps.sh

cmake --preset release
cmake --build --preset release --target Kestrow kestrow
# Root's help only where the prefix is not writable (e.g. /usr/local).
sudo=""
if ! { mkdir -p "$prefix" && [[ -w "$prefix" ]]; } 2>/dev/null; then
  sudo="sudo"
fi
$sudo cmake --install build/release --prefix "$prefix"
"$prefix/bin/kestrow" --version
