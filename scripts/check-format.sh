#!/usr/bin/env bash
# Fails when any C++ file differs from what clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.h' '*.cpp' '*.hpp' '*.cc')
if ((${#files[@]})); then
  clang-format --dry-run --Werror "${files[@]}"
fi
echo "format: ${#files[@]} files clean"
