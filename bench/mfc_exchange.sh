#!/usr/bin/env bash
# Builds the MFC benchmark in the Release build and prints how long one ReadF32 takes against its
# wire time, ours and libmodbus's on the same link in the same run, and the worker pass period.
#   bench/mfc_exchange.sh [build folder]   (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMOISTREL_BUILD_TESTS=OFF \
    -DMOISTREL_BUILD_BENCH=ON -DMOISTREL_BUILD_UI=OFF >/dev/null
cmake --build "$build" -j 2 --target bench_mfc >/dev/null
"$build/bench/bench_mfc" --benchmark_counters_tabular=true \
    --benchmark_filter='BM_ReadF32|BM_LibmodbusReadF32|BM_WorkerPassExchanges'
