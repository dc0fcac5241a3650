#!/usr/bin/env bash
# Kills main.exe a hundred times (or $1 times) around announcements and checks news.rtf and
# main.ini after each kill.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
source tools/env.sh
source tools/display.sh
wineserver -p -f &
wineserver_pid=$!
cleanup() {
    kill "$wineserver_pid" 2>/dev/null || true
    stop_started_xvfb
}
trap cleanup EXIT
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target kill_e2e_test
SORIEL_KILLS="${1:-100}" ctest --preset mingw -R kill_e2e_test --timeout 3600 --output-on-failure
