#!/usr/bin/env bash
# Builds qxindex and the Python module in Release and runs bench/python_calc.py.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps >/dev/null
cmake -S . -B build-pybench -DCMAKE_BUILD_TYPE=Release -DQX_BUILD_TESTS=OFF \
  -DQX_BUILD_BENCH=OFF -DQX_BUILD_PYTHON=ON >/dev/null
cmake --build build-pybench -j"$(nproc)" --target qxindex qxscript_core >/dev/null
echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), load $(cut -d' ' -f1-3 /proc/loadavg)"
PYTHONPATH=build-pybench/python /usr/bin/python3 bench/python_calc.py build-pybench/tools/qxindex/qxindex
