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

# A signed control file stays valid for ever; only a serial higher than the last one carried
# out tells the program it is new. Without one, the program refuses the file.
if ! awk '/^[ \t]*\[/ { in_update = tolower($0) ~ /^[ \t]*\[update\][ \t\r]*$/ }
          in_update && tolower($0) ~ /^[ \t]*serial[ \t]*=[ \t]*[0-9]+[ \t\r]*$/ { found = 1 }
          END { exit !found }' "$control_file"; then
    echo "sign-update: $control_file has no [update] serial=N (raise it with every control file you sign)" >&2
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
