#!/usr/bin/env bash
# Renders the demo from a fresh clone: installs what is missing, builds the
# plug-in and the kestrow tool (release), and runs `kestrow demo`, which
# writes the position pass, every mode's matte and a contact sheet.
# Usage: scripts/demo.sh [DIR]   (DIR defaults to demo-out)
set -euo pipefail
cd "$(dirname "$0")/.."

out="${1:-demo-out}"

scripts/install-deps.sh

cmake --preset release
cmake --build --preset release --target Kestrow kestrow

build/release/bin/kestrow demo "$out"
echo
echo "Contact sheet: $out/contact-sheet.png"
