#!/usr/bin/env bash
# Builds a release and writes the folder to publish it from: the installer, the portable zip,
# the update's files, and the signed update control file.
#
#   bash tools/release.sh [options] VERSION PRIVATE_PEM
#     --out DIR        where release folders go (default: release in the project); this one
#                      is DIR/VERSION
#     --url URL        the update folder on the server, ending in "/"
#                      (default: http://www.soriel.cz/update/upd_snh/)
#     --serial N       the control file's serial (default: one more than the highest serial
#                      of the control files in DIR/*/); the build carries it as its floor
#     --expires-days N the control file counts for N days from today, UTC (default: 30)
#     --whatsnew FILE  a what's-new text to show before the update
#     --eula FILE      an agreement to accept before the update
#     --build-dir DIR  the build folder (default: build-release in the project)
#
# The program trusts the public keys named by SORIEL_UPDATE_PUBLIC_KEY when it is set (a key
# rotation), else the public half of PRIVATE_PEM; the signature is checked with them before
# anything is said to be ready. PRIVATE_PEM must be readable by its owner only, and not in
# git. With SORIEL_CODESIGN_PFX and SORIEL_CODESIGN_PASSWORD_FILE (and
# SORIEL_CODESIGN_TIMESTAMP_URL) set, the programs and the installer are signed with
# Authenticode. The build is that of the checked-out commit: see
# tools/repro-check.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

usage() {
    sed -n '5,17s/^#   //p' "$0" >&2
    exit 2
}
fail() {
    echo "release: $*" >&2
    exit 1
}

out=$root/release
url=http://www.soriel.cz/update/upd_snh/
serial=
expires_days=30
whatsnew=
eula=
build=$root/build-release
while [ $# -gt 0 ]; do
    case "$1" in
        --out) out=$2; shift 2 ;;
        --url) url=$2; shift 2 ;;
        --serial) serial=$2; shift 2 ;;
        --expires-days) expires_days=$2; shift 2 ;;
        --whatsnew) whatsnew=$2; shift 2 ;;
        --eula) eula=$2; shift 2 ;;
        --build-dir) build=$2; shift 2 ;;
        -*) usage ;;
        *) break ;;
    esac
done
[ $# -eq 2 ] || usage
version=$1
private_pem=$2
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "the version is three numbers, as 3.1.1, not \"$version\""
[ -r "$private_pem" ] || fail "cannot read the private key $private_pem"
# Whoever can read the key can update every copy.
key_mode=$(stat -L -c '%a' "$private_pem")
(( (8#$key_mode & 8#077) == 0 )) ||
    fail "$private_pem is open to group or others (mode $key_mode): chmod 600 it, and take a new key if others may have copied it"
! git -C "$root" ls-files --error-unmatch -- "$(realpath "$private_pem")" >/dev/null 2>&1 ||
    fail "$private_pem is in git: a private key must stay out of the repository (take a new key)"
[[ $expires_days =~ ^[1-9][0-9]{0,3}$ ]] || fail "--expires-days is a number of days from 1 to 9999, not \"$expires_days\""
[[ $url == */ ]] || fail "the update folder's address must end in \"/\": $url"
for text in "$whatsnew" "$eula"; do
    [ -z "$text" ] || [ -r "$text" ] || fail "cannot read $text"
done
mkdir -p "$build"
build=$(realpath "$build")

folder=$out/$version
[ ! -e "$folder" ] || fail "$folder exists already: a published release is never overwritten"
highest=0
for control in "$out"/*/app1h.inf; do
    [ -f "$control" ] || continue
    previous=$(sed -n 's/^serial=\([0-9]*\)\r\{0,1\}$/\1/p' "$control" | head -n 1)
    [ -z "$previous" ] || [ "$previous" -le "$highest" ] || highest=$previous
done
if [ -z "$serial" ]; then
    serial=$((highest + 1))
fi
[[ $serial =~ ^[1-9][0-9]*$ ]] || fail "the serial is a whole number above 0, not \"$serial\""
[ "$serial" -gt "$highest" ] || fail "serial $serial is not above $highest, the highest in $out: copies that carried that one out would refuse it"
[ ${#serial} -lt 16 ] || [[ ${#serial} -eq 16 && $serial < 9007199254740992 ]] ||
    fail "serial $serial is 2^53 or more: no later control file could pass it"
expires=$(date -u -d "+$expires_days days" +%F)

public_pem=${SORIEL_UPDATE_PUBLIC_KEY:-}
if [ -z "$public_pem" ]; then
    public_pem=$build/release-public.pem
    openssl pkey -in "$private_pem" -pubout -out "$public_pem"
fi

# The build's time stamps are the commit's, so that the same commit builds the same bytes.
SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct)
export SOURCE_DATE_EPOCH
# The build carries the serial as its floor: no control file signed before this one counts as
# news to it, not even at its first start.
cmake -S "$root" --preset mingw -B "$build" -DSORIEL_VERSION="$version" -DSORIEL_UPDATE_PUBLIC_KEY="$public_pem" \
      -DSORIEL_UPDATE_SERIAL_FLOOR="$serial" \
      -DSORIEL_ALLOW_TEST_KEY=OFF -DSORIEL_TESTS=OFF -DSORIEL_BENCH=OFF \
      -DSORIEL_CODESIGN_PFX="${SORIEL_CODESIGN_PFX:-}" -DSORIEL_CODESIGN_PASSWORD_FILE="${SORIEL_CODESIGN_PASSWORD_FILE:-}" \
      -DSORIEL_CODESIGN_TIMESTAMP_URL="${SORIEL_CODESIGN_TIMESTAMP_URL:-}" >/dev/null
cmake --build "$build" --target installer portable

sha256_line() { bash "$root/tools/sign-update.sh" --sha256 "$1"; }
filesize_line() { echo "filesize=$(stat -c '%s' "$1")"; }
# The sum the program compares a local file with (its byte sum, as a signed 32-bit number).
byte_sum() {
    python3 -c 'import sys; s = (0xFFFFFFFF + sum(open(sys.argv[1], "rb").read())) % 2**32; print(s - 2**32 if s >= 2**31 else s)' "$1"
}

mkdir -p "$folder"
cp "$build/soriel-online-$version-setup.exe" "$build/soriel-online-$version-portable.zip" "$folder/"
# main.exe and orcoredll.dll are in use while the program runs: the updater puts them in place.
cp "$build/bin/main.exe" "$folder/main.exe_NEW"
cp "$build/bin/orcoredll.dll" "$folder/orcoredll.dll_NEW"
cp "$build/bin/ticktock.wav" "$folder/ticktock.wav"

{
    echo "[update]"
    echo "serial=$serial"
    echo "expires=$expires"
    echo "descr=Soriel online $version"
    echo "newversion=$version.0"
    echo "localversion={APP}\\main.exe"
    echo "[application]"
    echo "appupdate=1"
    echo "appname={APP}\\main.exe"
    echo "appcomps={APP}\\main.exe_NEW {APP}\\orcoredll.dll_NEW"
    if [ -n "$whatsnew" ]; then
        cp "$whatsnew" "$folder/whatsnew.txt"
        echo "[whatsnew]"
        echo "file=${url}whatsnew.txt"
        echo "caption=Co je nového"
        echo "okbtn=Pokračovat"
        echo "cancelbtn=Zrušit"
        sha256_line "$folder/whatsnew.txt"
    fi
    if [ -n "$eula" ]; then
        cp "$eula" "$folder/eula.txt"
        echo "[eula]"
        echo "file=${url}eula.txt"
        echo "caption=Licenční podmínky"
        echo "okbtn=OK"
        echo "accept=Souhlasím"
        echo "notaccept=Nesouhlasím"
        sha256_line "$folder/eula.txt"
    fi
    echo "[files]"
    echo "count=3"
    echo "[file1]"
    echo "url=${url}main.exe_NEW"
    echo "newversion=$version.0"
    echo "localversion={APP}\\main.exe"
    echo "targetdir={APP}"
    filesize_line "$folder/main.exe_NEW"
    sha256_line "$folder/main.exe_NEW"
    echo "[file2]"
    echo "url=${url}orcoredll.dll_NEW"
    # By checksum, not by version: a copy's orcoredll.dll of before it carried a version would
    # never count as older, nor would one rebuilt at the same version.
    echo "newchecksum=$(byte_sum "$folder/orcoredll.dll_NEW")"
    echo "localversion={APP}\\orcoredll.dll"
    echo "targetdir={APP}"
    filesize_line "$folder/orcoredll.dll_NEW"
    sha256_line "$folder/orcoredll.dll_NEW"
    echo "[file3]"
    echo "url=${url}ticktock.wav"
    echo "newchecksum=$(byte_sum "$folder/ticktock.wav")"
    echo "localversion={APP}\\ticktock.wav"
    echo "targetdir={APP}"
    filesize_line "$folder/ticktock.wav"
    sha256_line "$folder/ticktock.wav"
} | sed 's/$/\r/' > "$folder/app1h.inf"
bash "$root/tools/sign-update.sh" "$private_pem" "$folder/app1h.inf"

# The signature must verify with a key the build trusts, or every copy would refuse the update.
signature_der=$build/app1h.inf.sig.der
python3 -c '
import base64, sys
raw = base64.b64decode(open(sys.argv[1]).read().strip(), validate=True)
def integer(b):
    b = b.lstrip(b"\0") or b"\0"
    b = b"\0" + b if b[0] & 0x80 else b
    return bytes([2, len(b)]) + b
body = integer(raw[:32]) + integer(raw[32:])
open(sys.argv[2], "wb").write(bytes([0x30, len(body)]) + body)' "$folder/app1h.inf.sig" "$signature_der"
verified=
IFS=';' read -r -a trusted_pems <<< "$public_pem"
for pem in "${trusted_pems[@]}"; do
    if openssl dgst -sha256 -verify "$pem" -signature "$signature_der" "$folder/app1h.inf" >/dev/null 2>&1; then
        verified=1
    fi
done
if [ -z "$verified" ]; then
    rm -rf "$folder"
    fail "app1h.inf.sig does not verify with the keys the build trusts ($public_pem): nothing to upload"
fi

echo "release: Soriel online $version (serial $serial, expires $expires) is in $folder:"
update_files=$(cd "$folder" && ls | grep -v -e '^app1h\.inf' -e '^soriel-online-' | tr '\n' ' ')
echo "  upload to $url: ${update_files}then app1h.inf.sig and app1h.inf (last: a copy that reads the"
echo "  control file finds every file it names in place)"
echo "  offer for download: soriel-online-$version-setup.exe, soriel-online-$version-portable.zip"
echo "  re-sign app1h.inf with serial $((serial + 1)) and a new expires= before $expires (see README)"
echo "  the same bytes again: bash tools/repro-check.sh $version PUBLIC_PEM $serial"
