#!/usr/bin/env bash
# Runs a test program under a wineserver of its own, on a copy of the project's Wine prefix.
# Wine keeps one time of the last input for every program of a server, and counts what the
# tests before this one do as input (a mouse capture released after a click, a window shown
# under the pointer): a test that needs nobody at the computer for minutes starts from a
# server that has seen none.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../tools/env.sh"
test_program=$1
bin=$(dirname "$test_program")
# In the build folder, on disk: the prefix is large.
prefix=$(mktemp -d "$bin/../own-prefix.XXXXXX")
server_pid=
cleanup() {
    [ -z "$server_pid" ] || { kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null; } || true
    rm -rf "$prefix"
}
trap cleanup EXIT
cp -a "$WINEPREFIX/." "$prefix/"
export WINEPREFIX=$prefix
wineserver -p -f &
server_pid=$!
wine cmd /c exit >/dev/null 2>&1 </dev/null
wine "$test_program"
