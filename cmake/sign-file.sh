#!/usr/bin/env bash
# Signs a Windows program or library in place with Authenticode.
#   sign-file.sh PFX PASSWORD_FILE [TIMESTAMP_URL] FILE
set -euo pipefail
[ $# -eq 3 ] || [ $# -eq 4 ] || { echo "usage: sign-file.sh PFX PASSWORD_FILE [TIMESTAMP_URL] FILE" >&2; exit 2; }
pfx=$1
password_file=$2
timestamp=()
[ $# -eq 3 ] || timestamp=(-ts "$3")
file=${!#}
osslsigncode sign -pkcs12 "$pfx" -readpass "$password_file" -n "Soriel online" -i "http://www.soriel.cz/" \
    "${timestamp[@]}" -in "$file" -out "$file.signed" >/dev/null ||
    { rm -f "$file.signed"; echo "sign-file: could not sign $file" >&2; exit 1; }
mv -f "$file.signed" "$file"
