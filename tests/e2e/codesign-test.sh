#!/usr/bin/env bash
# Checks the build's Authenticode signatures, made with the throw-away certificate of the
# build folder: main.exe, the updater, orcoredll.dll, the installer and the uninstaller it
# writes verify against that certificate, and no longer after one byte is changed. A build
# that trusts the throw-away update key has its release packages refused.
#   codesign-test.sh BUILD_DIR SETUP_EXE
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../tools/env.sh"
build=$1
setup=$2
certificate=$build/codesign/certificate.pem
work=$(mktemp -d "$build/codesign-test.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The uninstaller exists only once installed: a silent install into a folder of the test,
# removed again by the uninstaller itself (run in place, so that it is waited for).
install_folder=$(winepath -w "$work/installed")
wine "$setup" /S "/D=$install_folder"
cp "$work/installed/uninstall.exe" "$work/uninstall.exe"
wine "$work/installed/uninstall.exe" /S "_?=$install_folder"

failures=0
for file in "$build/bin/main.exe" "$build/bin/upd.exe" "$build/bin/orcoredll.dll" "$setup" "$work/uninstall.exe"; do
    name=$(basename "$file")
    if ! osslsigncode verify -CAfile "$certificate" -in "$file" >"$work/verify.log" 2>&1; then
        echo "FAIL: $name does not verify:" && cat "$work/verify.log"
        failures=$((failures + 1))
        continue
    fi
    changed=$work/changed-$name
    cp "$file" "$changed"
    middle=$(($(stat -c %s "$changed") / 2))
    byte=$(od -An -tu1 -j "$middle" -N1 "$changed" | tr -d ' ')
    printf "\\$(printf %03o $(((byte + 1) % 256)))" | dd of="$changed" bs=1 seek="$middle" conv=notrunc status=none
    if osslsigncode verify -CAfile "$certificate" -in "$changed" >/dev/null 2>&1; then
        echo "FAIL: $name still verifies with byte $middle changed"
        failures=$((failures + 1))
    else
        echo "ok: $name is signed, and refused with byte $middle changed"
    fi
done

cache=$build/CMakeCache.txt
if grep -qx 'SORIEL_UPDATE_PUBLIC_KEY:STRING=' "$cache" && grep -qx 'SORIEL_ALLOW_TEST_KEY:BOOL=OFF' "$cache"; then
    for package in installer portable; do
        if cmake --build "$build" --target "$package" >"$work/$package.log" 2>&1 ||
            ! grep -q "$package: refused: this build trusts the throw-away update key" "$work/$package.log"; then
            echo "FAIL: the $package of a build with the throw-away update key is not refused:" && cat "$work/$package.log"
            failures=$((failures + 1))
        else
            echo "ok: the $package of a build with the throw-away update key is refused"
        fi
    done
fi
[ "$failures" -eq 0 ]
