#!/usr/bin/env bash
# Signs an update control file, or prints the sha256= line of an update file.
#
#   bash tools/sign-update.sh PRIVATE_PEM CONTROL_FILE   writes CONTROL_FILE.sig
#   bash tools/sign-update.sh --sha256 FILE...           prints "sha256=<hex>" for each file
#
# The .sig file is one line: the Base64 text of the ECDSA P-256 signature (r then s, 32 bytes
# each) over SHA-256 of the control file's exact bytes.
set -euo pipefail

usage() {
    sed -n '4,5s/^#   //p' "$0" >&2
    exit 2
}

if [ "${1:-}" = "--sha256" ]; then
    shift
    [ $# -ge 1 ] || usage
    for file in "$@"; do
        echo "sha256=$(openssl dgst -sha256 -r "$file" | cut -d' ' -f1)"
    done
    exit 0
fi
[ $# -eq 2 ] || usage
private_pem=$1
control_file=$2

# A signed control file stays valid until its expiry; only a serial higher than the last one
# carried out tells the program it is new. Without either, the program refuses the file.
update_value() {
    awk -v key="$1" '/^[ \t]*\[/ { in_update = tolower($0) ~ /^[ \t]*\[update\][ \t\r]*$/; next }
        in_update {
            line = $0; sub(/\r$/, "", line)
            at = index(line, "=")
            name = tolower(substr(line, 1, at - 1)); gsub(/[ \t]/, "", name)
            if (at > 0 && name == key) { value = substr(line, at + 1); gsub(/^[ \t]+|[ \t]+$/, "", value); print value; exit }
        }' "$control_file"
}
serial=$(update_value serial)
if ! [[ $serial =~ ^[0-9]+$ ]]; then
    echo "sign-update: $control_file has no [update] serial=N (raise it with every control file you sign)" >&2
    exit 1
fi
# The program reads serials of any size, but a serial near the top would leave no room for
# the next one: stay where every tool counts exactly (below 2^53).
serial=${serial#"${serial%%[!0]*}"}
if [ ${#serial} -gt 16 ] || { [ ${#serial} -eq 16 ] && [[ ! $serial < 9007199254740992 ]]; }; then
    echo "sign-update: serial $serial is 2^53 or more: no later control file could pass it" >&2
    exit 1
fi
expires=$(update_value expires)
if ! [[ $expires =~ ^[0-9]{4}-[0-9]{2}-[0-9]{2}$ ]] || [ "$(date -u -d "$expires" +%F 2>/dev/null)" != "$expires" ]; then
    echo "sign-update: $control_file has no [update] expires=YYYY-MM-DD (the last day it counts, UTC)" >&2
    exit 1
fi

# The DER signature is a sequence of the two integers; each becomes 32 big-endian bytes.
raw_hex=""
while read -r integer; do
    integer=${integer#"${integer%%[!0]*}"}
    [ ${#integer} -le 64 ] || { echo "sign-update: unexpected signature" >&2; exit 1; }
    raw_hex+=$(printf '%64s' "$integer" | tr ' ' 0)
done < <(openssl dgst -sha256 -sign "$private_pem" "$control_file" |
         openssl asn1parse -inform DER | sed -n 's/.*prim: INTEGER *://p')
[ ${#raw_hex} -eq 128 ] || { echo "sign-update: unexpected signature" >&2; exit 1; }
printf '%s' "$raw_hex" | sed 's/../\\x&/g' | xargs -0 printf '%b' | base64 -w0 > "$control_file.sig"
echo >> "$control_file.sig"
