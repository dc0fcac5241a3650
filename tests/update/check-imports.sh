#!/usr/bin/env bash
# Fails when the program imports a library other than the ones named: a library loaded at
# start from the program's folder could be one that someone put there.
set -euo pipefail
objdump=$1 program=$2
shift 2
status=0
while read -r library; do
    allowed=no
    for name in "$@"; do
        [ "${library,,}" = "${name,,}" ] && allowed=yes
    done
    echo "$library: $allowed"
    [ $allowed = yes ] || status=1
done < <("$objdump" -p "$program" | sed -n 's/^\s*DLL Name: //p')
exit $status
