#!/usr/bin/env bash
# Runs the update tests with what they need from outside: an FTP server (Debian's
# pyftpdlib, anonymous with write access) on a free loopback port, and an SZDD file made
# by Debian's mscompress. Both go away afterwards.
source "$(dirname "$0")/../../tools/env.sh"
work=$(mktemp -d /tmp/soriel-update.XXXXXX)
mkdir -p "$work/ftp/sub" "$work/szdd"
printf 'Expanded by the platform LZ library.\r\n' >"$work/szdd/readme.txt"
(cd "$work/szdd" && mscompress readme.txt && rm readme.txt)
port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
/usr/bin/python3 -m pyftpdlib -i 127.0.0.1 -p "$port" -d "$work/ftp" -w >"$work/ftp.log" 2>&1 &
ftp_pid=$!
for _ in $(seq 100); do
    /usr/bin/python3 -c "import socket; socket.create_connection(('127.0.0.1',$port),1)" 2>/dev/null && break
    sleep 0.1
done
UPDATE_FTP_PORT=$port UPDATE_FTP_ROOT="$(winepath -w "$work/ftp")" UPDATE_SZDD_FILE="$(winepath -w "$work/szdd/readme.txt_")" \
    wine "$@"
status=$?
kill "$ftp_pid" 2>/dev/null
wait "$ftp_pid" 2>/dev/null
rm -rf "$work"
exit $status
