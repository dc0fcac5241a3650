#!/usr/bin/env bash
# Builds the benchmarks in their own build folder and runs them under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/env.sh
source tools/display.sh
trap stop_started_xvfb EXIT
cmake -S . -B build-bench -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DSORIEL_BENCH=ON -DSORIEL_TESTS=OFF >/dev/null
cmake --build build-bench --target net_bench announce_bench update_bench -j2
wine build-bench/bin/net_bench.exe
wine build-bench/bin/announce_bench.exe
wine build-bench/bin/update_bench.exe
