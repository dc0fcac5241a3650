#!/usr/bin/env bash
# Sets up what is missing, builds, and runs the notifier under Wine against the demo feed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
source tools/env.sh
source tools/display.sh
port="${SORIEL_DEMO_PORT:-8765}"

cmake --preset mingw >/dev/null
cmake --build --preset mingw --target main

# The program folder: the program and what travels with it, and its own main.ini.
folder=out
mkdir -p "$folder"
for file in main.exe orcoredll.dll ticktock.wav; do
    [ -f "build/bin/$file" ] && cp "build/bin/$file" "$folder/"
done
if ! grep -q '^NewsURL=' "$folder/main.ini" 2>/dev/null; then
    printf '[Sources]\r\nNewsURL=http://127.0.0.1:%s/index.php/zpravodajstvy\r\n' "$port" >> "$folder/main.ini"
fi

python3 tools/demo_feed.py --port "$port" &
feed_pid=$!
trap 'kill $feed_pid 2>/dev/null || true; stop_started_xvfb' EXIT

echo "Soriel online runs on display $DISPLAY; end it with its tray menu command \"Konec\"."
wine explorer /desktop=Soriel,1024x768 "$folder/main.exe"
