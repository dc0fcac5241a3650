#!/usr/bin/env bash
# Runs a test program with real archives made by Debian's own tools (gcab, mscompress) in a
# folder it names in SORIEL_ARCHIVES: no code of ours writes what our code reads.
set -euo pipefail
source "$(dirname "$0")/../../tools/env.sh"
dir=$(mktemp -d /tmp/soriel-archives.XXXXXX)
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/tree/sub/deep"
printf 'top level\r\n' >"$dir/tree/a.txt"
printf 'two folders down\r\n' >"$dir/tree/sub/deep/b.txt"
# Entry dates are local time; in UTC they are the date below, whatever the machine's zone.
TZ=UTC touch -d '2021-03-04 05:06:08' "$dir/tree/sub/deep/b.txt"
(cd "$dir/tree" && TZ=UTC gcab -c -z "$dir/good.cab" a.txt sub/deep/b.txt)
# Damaged: the compressed data cut short after the header and file list.
head -c $(( $(stat -c %s "$dir/good.cab") - 20 )) "$dir/good.cab" >"$dir/damaged.cab"
# Hostile: an entry that climbs out of the target folder. gcab drops "..", so the name is
# written as "xx\evil.txt" and the two letters become ".." in the stored name.
printf 'evil\r\n' >"$dir/tree/evil.txt"
mkdir -p "$dir/tree/xx" && cp "$dir/tree/evil.txt" "$dir/tree/xx/evil.txt"
(cd "$dir/tree" && gcab -c "$dir/hostile.cab" a.txt xx/evil.txt)
perl -0777 -pi -e 's/xx\\evil/..\\evil/' "$dir/hostile.cab"
# SZDD: "c.tx_" whose header keeps the "t" its name lacks (mscompress leaves it out).
printf 'expanded by the LZ library\r\n%.0s' {1..40} >"$dir/c.txt"
(cd "$dir" && mscompress c.txt && mv c.txt_ c.tx_ && printf t | dd of=c.tx_ bs=1 seek=9 conv=notrunc status=none)
printf 'not compressed at all\r\n' >"$dir/plain.tx_"
SORIEL_ARCHIVES="$(winepath -w "$dir")\\" wine "$@"
