#!/usr/bin/env bash
# Publishes the next version with tools/release.sh into a folder served on loopback, signed
# with this build's throw-away key, then runs the test program, whose main.exe (this build's
# version) updates itself from there. First the signing tools must refuse what no copy could
# take: a serial of 2^53, a control file without expiry, a private key others can read, a
# signature the build's keys do not verify.
#   run-release.sh TEST_PROGRAM NEXT_VERSION RELEASE_BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../tools/env.sh"
test_program=$1
next_version=$2
release_build=$3
build=$(cd "$(dirname "$test_program")/.." && pwd)
work=$(mktemp -d "$build/release-e2e.XXXXXX")
server_pid=
cleanup() {
    [ -z "$server_pid" ] || kill "$server_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

tools=$here/../../tools
key=$build/update-signing/private.pem
# The command fails, and says why.
refused() {
    local reason=$1
    shift
    if "$@" >"$work/refused.log" 2>&1 || ! grep -q -- "$reason" "$work/refused.log"; then
        echo "run-release: not refused for \"$reason\": $*" >&2
        cat "$work/refused.log" >&2
        exit 1
    fi
}
printf '[update]\r\nserial=9007199254740992\r\nexpires=2099-12-31\r\n' >"$work/huge-serial.inf"
refused "2^53 or more" bash "$tools/sign-update.sh" "$key" "$work/huge-serial.inf"
printf '[update]\r\nserial=2\r\n' >"$work/no-expiry.inf"
refused "no \[update\] expires=" bash "$tools/sign-update.sh" "$key" "$work/no-expiry.inf"
install -m 644 "$key" "$work/readable.pem"
refused "open to group or others" bash "$tools/release.sh" --out "$work/published" "$next_version" "$work/readable.pem"

mkdir "$work/published"
/usr/bin/python3 -u -m http.server 0 --bind 127.0.0.1 --directory "$work/published" >"$work/server.log" 2>&1 &
server_pid=$!
port=
for _ in $(seq 100); do
    port=$(sed -n 's/^Serving HTTP on .* port \([0-9]*\).*/\1/p' "$work/server.log")
    [ -z "$port" ] || break
    sleep 0.1
done
[ -n "$port" ] || { echo "run-release: the loopback server did not start" >&2; cat "$work/server.log" >&2; exit 1; }

# The release's build folder stays between runs, so that a later run builds only what
# changed; beside the tests' build folder, its compile commands are theirs and a compiler
# cache serves it from their build.
url="http://127.0.0.1:$port/$next_version/"
# Signed with another key than the one the build trusts (the same build as below: nothing is
# built anew for it).
openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$work/other.pem" 2>/dev/null
chmod 600 "$work/other.pem"
refused "does not verify" env SORIEL_UPDATE_PUBLIC_KEY="$build/update-signing/public.pem" \
    bash "$tools/release.sh" --out "$work/unverified" --url "$url" --build-dir "$release_build" "$next_version" \
    "$work/other.pem"
[ ! -e "$work/unverified/$next_version" ] || { echo "run-release: an unverified release was left" >&2; exit 1; }
bash "$tools/release.sh" --out "$work/published" --url "$url" --build-dir "$release_build" "$next_version" "$key"
# Every file entry names its size, and the control file counts for the next 30 days.
control=$work/published/$next_version/app1h.inf
entries=$(grep -c '^\[file[0-9]*\]' "$control")
sized=$(grep -c '^filesize=[1-9][0-9]*' "$control")
[ "$entries" -gt 0 ] && [ "$sized" -eq "$entries" ] || { echo "run-release: $sized of $entries entries name their size" >&2; exit 1; }
grep -q "^expires=$(date -u -d '+30 days' +%F)" "$control" || { echo "run-release: no expiry 30 days ahead" >&2; exit 1; }

SORIEL_RELEASE_FOLDER="$(winepath -w "$work/published/$next_version")\\" \
SORIEL_RELEASE_CONTROL_FILE="${url}app1h.inf" SORIEL_RELEASE_VERSION="$next_version" \
    wine "$test_program"
