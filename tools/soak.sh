#!/usr/bin/env bash
# Builds and runs the soak benchmark: 10,000 polls (or $1) at one per 100 ms, in a Wine
# desktop with a taskbar, printing memory, handles and GDI/USER objects as it goes.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
source tools/env.sh
source tools/display.sh
trap stop_started_xvfb EXIT
cmake -S . -B build-bench -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DSORIEL_BENCH=ON -DSORIEL_TESTS=OFF >/dev/null
cmake --build build-bench --target soak_bench -j2
wine explorer /desktop=SorielSoak,1024x768 build-bench/bin/soak_bench.exe "${1:-10000}"
