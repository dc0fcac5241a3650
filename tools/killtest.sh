#!/usr/bin/env bash
# Kills main.exe a hundred times (or $1 times) around announcements and checks news.rtf and
# main.ini after each kill.
set -euo pipefail
cd "$(dirname "$0")/.."
SORIEL_KILLS="${1:-100}" exec bash tools/test.sh -R kill_e2e_test --timeout 3600
