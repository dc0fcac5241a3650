#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
# The update's files stay in layers, calls through an interface counted: a circle of calls
# between them fails the run before anything is built.
python3 tools/check_update_layers.py
source tools/test-session.sh
trap end_test_session EXIT

# The benchmark programs are built too (not run), so that they keep building.
cmake --preset mingw -DSORIEL_BENCH=ON >/dev/null
cmake --build --preset mingw

hold_default_desktop

ctest --preset mingw "$@"

# The logic that needs no window, fuzzed briefly on the host: a crash or a broken
# invariant fails the run.
bash tools/fuzz.sh 4
