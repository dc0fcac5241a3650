#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
# The update component's member files stay in layers: a circle of calls between them
# fails the run before anything is built.
python3 tools/check_update_layers.py
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

# A compiler cache: the release test builds the program a second time, in a folder of its
# own, and the cache serves it from this build's objects.
export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR="$project_root"
# The benchmark programs are built too (not run), so that they keep building.
cmake --preset mingw -DSORIEL_BENCH=ON >/dev/null
cmake --build --preset mingw

# The test programs that make windows share the default desktop, held open for the whole
# run and known to take windows before the first test starts.
hold_default_desktop() {
    for _ in $(seq 10); do
        coproc holder { wine build/bin/desktop_holder.exe 2>/dev/null; }
        local line=
        read -r -t 60 line <&"${holder[0]}" || true
        [[ $line == ready* ]] && return
        # It could make no window: let Wine close that desktop, then start one afresh.
        sleep 2
    done
    echo "test: no window can be made on display $DISPLAY" >&2
    exit 1
}
hold_default_desktop

ctest --preset mingw "$@"

# The logic that needs no window, fuzzed briefly on the host: a crash or a broken
# invariant fails the run.
bash tools/fuzz.sh 4
