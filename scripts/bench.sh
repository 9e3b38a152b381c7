#!/usr/bin/env bash
# Builds the release preset and prints the benchmark table: every mode on a
# full 4K frame, one thread, per instruction set this CPU runs, and a whole
# render through the host on one and two threads, each as a multiple of a
# memcpy of the frame measured in the same run and in milliseconds, after
# the CPU's name. Compare figures within one run only: on a shared machine
# the absolute times move.
# Usage: scripts/bench.sh [extra Google Benchmark flags]
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset release -DKESTROW_BUILD_BENCH=ON >/dev/null
cmake --build --preset release --target kestrow_bench >/dev/null
grep -m1 '^model name' /proc/cpuinfo | sed 's/^[^:]*: */CPU: /' || true
build/release/bin/kestrow_bench --benchmark_filter='^frame/' --benchmark_min_time=0.5 \
  --benchmark_repetitions=3 "$@" | sed -n '/^Time as a multiple/,$p'
