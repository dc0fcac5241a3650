#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
source tools/env.sh
source tools/display.sh

# One wineserver for the whole run: each test program then starts in a fraction of a second.
wineserver -p -f &
wineserver_pid=$!
cleanup() {
    kill "$wineserver_pid" 2>/dev/null || true
    stop_started_xvfb
}
trap cleanup EXIT
# Start Wine's own services now, with their output away from CTest's pipes, which they
# would otherwise hold open for as long as the wineserver lives.
wine cmd /c exit >/dev/null 2>&1 </dev/null

cmake --preset mingw >/dev/null
cmake --build --preset mingw
ctest --preset mingw "$@"

# The logic that needs no window, fuzzed briefly on the host: a crash or a broken
# invariant fails the run.
bash tools/fuzz.sh 4
