#!/usr/bin/env bash
# Builds the benchmarks in Release and prints one table: every figure of the engine
# beside the hand-written loop of the same formula measured in the same run, and
# their ratio (medians of three repetitions, CPU time). Extra arguments go to the
# benchmark program, e.g. --benchmark_filter=whole to run some rows only.
# Paste the table into docs/performance.md.
#
# bench/run.sh scan [ARGS...] runs the qxindex scan figures instead: 2,000
# generated symbols on one and on two threads, in symbols per second.
set -euo pipefail
cd "$(dirname "$0")/.."
program=calculator_bench
tools=OFF
if [ "${1:-}" = scan ]; then
  shift
  program=scan_bench
  tools=ON
fi
scripts/install-deps >/dev/null
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQX_BUILD_TESTS=OFF \
  -DQX_BUILD_TOOLS="$tools" -DQX_BUILD_BENCH=ON >/dev/null
cmake --build build-bench -j"$(nproc)" --target "$program" >/dev/null
echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo
build-bench/bench/"$program" "$@"
