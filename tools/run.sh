#!/usr/bin/env bash
# Sets up what is missing, builds, and runs the notifier under Wine against the demo feed.
#   --update-demo   also serve a signed demo update that shows a message, a what's-new
#                   text and an agreement at start-up (and downloads nothing)
set -euo pipefail
cd "$(dirname "$0")/.."
update_demo=
case "${1:-}" in
    "") ;;
    --update-demo) update_demo=1 ;;
    *) echo "usage: bash tools/run.sh [--update-demo]" >&2; exit 2 ;;
esac
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
# The update control file is asked of the demo feed, which has one only with --update-demo.
if ! grep -q '^UpdateURL=' "$folder/main.ini"; then
    sed -i "/^NewsURL=/a UpdateURL=http://127.0.0.1:$port/update/app1h.inf\r" "$folder/main.ini"
fi

feed_options=()
if [ -n "$update_demo" ]; then
    # Signed with the build's own throw-away key, which this main.exe trusts; the agreement
    # goes out in code page 1250, the what's-new text in UTF-8.
    demo=$folder/update-demo
    mkdir -p "$demo"
    cp tools/update-demo/whatsnew.txt "$demo/whatsnew.txt"
    iconv -f UTF-8 -t CP1250 tools/update-demo/eula.txt > "$demo/eula.txt"
    # The texts are bound to the signed control file by their digests.
    whatsnew_sha256=$(bash tools/sign-update.sh --sha256 "$demo/whatsnew.txt")
    eula_sha256=$(bash tools/sign-update.sh --sha256 "$demo/eula.txt")
    # A signed control file counts only until its expiry: a month from today, as a release's.
    sed -e "s/PORT/$port/" -e "s/EXPIRES/$(date -u -d '+30 days' +%F)/" \
        -e "s/sha256=WHATSNEW_SHA256/$whatsnew_sha256/" -e "s/sha256=EULA_SHA256/$eula_sha256/" \
        tools/update-demo/app1h.inf > "$demo/app1h.inf"
    bash tools/sign-update.sh build/update-signing/private.pem "$demo/app1h.inf"
    feed_options=(--update-folder "$demo")
fi

python3 tools/demo_feed.py --port "$port" "${feed_options[@]}" &
feed_pid=$!
trap 'kill $feed_pid 2>/dev/null || true; stop_started_xvfb' EXIT
# The program asks for the update control file as it starts: the feed must be answering.
for _ in $(seq 100); do
    /usr/bin/python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 1)" 2>/dev/null && break
    sleep 0.1
done

echo "Soriel online runs on display $DISPLAY; end it with its tray menu command \"Konec\"."
wine explorer /desktop=Soriel,1024x768 "$folder/main.exe"
