#!/usr/bin/env bash
# Runs a test program against a program folder that cannot be written, as a copy in Program
# Files is for a user: the folder is made immutable, which holds for root too.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../tools/env.sh"
test_program=$1
bin=$(dirname "$test_program")
# In the build folder: chattr needs a disk file system, which /tmp need not be.
folder=$(mktemp -d "$bin/../readonly-folder.XXXXXX")
cleanup() {
    chattr -i "$folder" 2>/dev/null || true
    rm -rf "$folder"
}
trap cleanup EXIT
cp "$bin/main.exe" "$bin/orcoredll.dll" "$bin/ticktock.wav" "$here/readonly/main.ini" "$here/readonly/news.rtf" "$here/readonly/news-archive.rtf" "$folder/"
chattr +i "$folder"
SORIEL_READONLY_FOLDER="$(winepath -w "$folder")\\" wine "$test_program"
