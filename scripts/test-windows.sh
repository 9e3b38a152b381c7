#!/usr/bin/env bash
# Builds the Windows plug-in Kestrow.aex with the MinGW-w64 cross compiler,
# together with our host and the Windows test program, and runs the Windows
# tests under Wine (headless). scripts/test.sh calls this after the Linux
# suite; the packages come from scripts/install-deps.sh --windows.
# Usage: scripts/test-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."

find_tool() {
  local name
  for name in "$@"; do
    if [[ -x "$name" ]]; then
      echo "$name"
      return
    elif command -v "$name" >/dev/null; then
      command -v "$name"
      return
    fi
  done
  echo "test-windows: none of $* found (scripts/install-deps.sh --windows)" >&2
  exit 1
}
# Debian's wine64 loader runs 64-bit programs without the wrapper's search
# for a 32-bit Wine.
wine=$(find_tool /usr/lib/wine/wine64 wine64 wine)
wineserver=$(find_tool /usr/lib/wine/wineserver wineserver)

# One prefix for the whole run, inside the build tree; no debug chatter, and
# no offer to install Mono or Gecko into a new prefix.
export WINEPREFIX="$PWD/build/wine-prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"

# Wine's server and the services a new prefix starts outlive the program
# that started them and hold on to its output. Started here, away from the
# pipes of Ninja and CTest, and persistent for the run, they leave every
# later program free to end when it ends.
"$wineserver" -p </dev/null >/dev/null 2>&1 || true
trap '"$wineserver" -k >/dev/null 2>&1 || true' EXIT
"$wine" cmd /c exit </dev/null >"$WINEPREFIX/boot.log" 2>&1 || {
  cat "$WINEPREFIX/boot.log" >&2
  exit 1
}

cmake --preset windows-release
# Only what the Windows tests need: no tool, no benchmarks.
cmake --build --preset windows-release --target Kestrow kestrow_windows_tests
ctest --preset windows-release
