#!/usr/bin/env bash
# Runs the whole test suite from a fresh clone: installs what is missing,
# checks formatting, builds everything under AddressSanitizer and
# UndefinedBehaviorSanitizer with warnings as errors, and runs CTest. Then
# the proof of correct rounding (every float through sine and cosine, 10^9
# arc tangent pairs) in an optimised build of that test alone, the threaded
# render tests under ThreadSanitizer (that build holds only what they
# need), and the Windows build and its tests under Wine, where that build
# exists.
# Usage: scripts/test.sh [--no-windows]
set -euo pipefail
cd "$(dirname "$0")/.."

with_windows=1
[[ "${1:-}" == "--no-windows" ]] && with_windows=0

if ((with_windows)); then
  scripts/install-deps.sh --windows
else
  scripts/install-deps.sh
fi

scripts/check-format.sh

# The host API headers against the published layouts, where that checker
# sits beside the project (the build's own layout check runs regardless).
if [[ -x ../shared/abi/check.sh ]]; then
  ../shared/abi/check.sh .
fi

export KESTROW_WERROR=ON
cmake --preset sanitize
cmake --build --preset sanitize
ctest --preset sanitize

# Tests on, whatever an earlier configure of this tree chose.
cmake --preset release -DKESTROW_BUILD_TESTS=ON
cmake --build --preset rounding
ctest --preset rounding

cmake --preset tsan
cmake --build --preset tsan
ctest --preset tsan

if ((with_windows)) && [[ -x scripts/test-windows.sh ]]; then
  scripts/test-windows.sh
fi
