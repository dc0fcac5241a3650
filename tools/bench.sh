#!/usr/bin/env bash
# Builds the benchmarks in their own build folder and runs them under Wine, in a Wine desktop
# with a taskbar (as the program runs): the poll, the announcement, start-up and the memory
# while hidden after items arrived against the minimal tray program, and the bytes a poll
# moves from nginx without and with gzip, and with gzip and validators when the page is
# unchanged. "tools/bench.sh nginx" runs only the last. tools/soak.sh runs the soak.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
source tools/env.sh
source tools/display.sh

work=$(mktemp -d)
# nginx serves as another user.
chmod 755 "$work"
nginx_pid=
cleanup() {
    [ -z "$nginx_pid" ] || kill "$nginx_pid" 2>/dev/null || true
    rm -rf "$work"
    stop_started_xvfb
}
trap cleanup EXIT

cmake -S . -B build-bench -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DSORIEL_BENCH=ON -DSORIEL_TESTS=OFF >/dev/null
cmake --build build-bench --target net_bench announce_bench startup_bench gradient_bench update_bench -j2
run() { wine explorer /desktop=SorielBench,1024x768 "$@"; }

# nginx on a free loopback port, serving /plain without compression and /gzip with it.
port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
mkdir -p "$work/www" "$work/temp"
cat > "$work/nginx.conf" <<CONF
worker_processes 1;
daemon off;
pid $work/nginx.pid;
error_log $work/error.log;
events {}
http {
    log_format polls '\$request_uri \$status \$request_length \$bytes_sent \$http_accept_encoding';
    access_log $work/access.log polls;
    client_body_temp_path $work/temp;
    proxy_temp_path $work/temp;
    fastcgi_temp_path $work/temp;
    uwsgi_temp_path $work/temp;
    scgi_temp_path $work/temp;
    types { text/html html; }
    server {
        listen 127.0.0.1:$port;
        root $work/www;
        location /plain/ { gzip off; }
        location /gzip/ { gzip on; gzip_http_version 1.0; gzip_min_length 0; }
    }
}
CONF
touch "$work/access.log"
nginx -c "$work/nginx.conf" -e "$work/error.log" &
nginx_pid=$!
for _ in $(seq 50); do
    /usr/bin/python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 1)" 2>/dev/null && break
    sleep 0.1
done

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), load average $(cut -d' ' -f1-3 /proc/loadavg)"
run build-bench/bin/net_bench.exe nginx "http://127.0.0.1:$port" "$(winepath -w "$work/www")\\" "$(winepath -w "$work/access.log")"
[ "${1:-}" = nginx ] && exit 0
run build-bench/bin/startup_bench.exe
run build-bench/bin/net_bench.exe
run build-bench/bin/net_bench.exe lineends
run build-bench/bin/announce_bench.exe
run build-bench/bin/gradient_bench.exe
run build-bench/bin/update_bench.exe
