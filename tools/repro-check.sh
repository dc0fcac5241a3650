#!/usr/bin/env bash
# Builds the checked-out commit twice, from two copies in folders of different names, and
# compares what a release is made of byte for byte: main.exe, upd.exe, orcoredll.dll, the
# portable zip and the installer, all unsigned.
#
#   bash tools/repro-check.sh [VERSION [PUBLIC_PEM [SERIAL]]]
#
# VERSION is the version the release was built as (default: the source's own); PUBLIC_PEM the
# update key it trusts (default: a throw-away key made here, the same for both builds); SERIAL
# the serial of the control file published with it, which the build carries (default 0). It
# prints the SHA-256 of each file: a release is the commit's when they are the published
# files' (see README, "Checking a release").
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
version=${1:-}
public_pem=${2:-}
serial_floor=${3:-0}

work=$(mktemp -d "${TMPDIR:-/tmp}/soriel-repro.XXXXXX")
trap 'rm -rf "$work"' EXIT
if [ -z "$public_pem" ]; then
    openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$work/private.pem"
    openssl pkey -in "$work/private.pem" -pubout -out "$work/public.pem"
    public_pem=$work/public.pem
fi
public_pem=$(realpath "$public_pem")
commit=$(git -C "$root" rev-parse HEAD)
SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct "$commit")
export SOURCE_DATE_EPOCH

version_option=()
[ -z "$version" ] || version_option=(-DSORIEL_VERSION="$version")
sources=("$work/one/soriel" "$work/two/a-longer-folder/soriel-online")
for source in "${sources[@]}"; do
    mkdir -p "$source"
    git -C "$root" archive "$commit" | tar -x -C "$source"
    echo "repro-check: building in $source"
    cmake -S "$source" --preset mingw -B "$source/build" "${version_option[@]}" \
          -DSORIEL_UPDATE_PUBLIC_KEY="$public_pem" -DSORIEL_UPDATE_SERIAL_FLOOR="$serial_floor" \
          -DSORIEL_TESTS=OFF -DSORIEL_BENCH=OFF >/dev/null
    cmake --build "$source/build" --target installer portable >/dev/null
done

built_version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "${sources[0]}/build/CMakeCache.txt")
files=(bin/main.exe bin/upd.exe bin/orcoredll.dll
       "soriel-online-$built_version-portable.zip" "soriel-online-$built_version-setup.exe")
differing=0
for file in "${files[@]}"; do
    one=${sources[0]}/build/$file
    two=${sources[1]}/build/$file
    if cmp -s "$one" "$two"; then
        echo "equal     $(sha256sum "$one" | cut -d' ' -f1)  $(basename "$file")"
    else
        echo "DIFFERENT $(basename "$file"): $(cmp "$one" "$two" | head -n 1)"
        differing=1
    fi
done
[ "$differing" -eq 0 ] || { echo "repro-check: the two builds differ" >&2; exit 1; }
echo "repro-check: both builds of ${commit:0:7} are byte-identical"
