# Sourced by the scripts that run test programs (tools/test.sh, tools/mutate.sh): the Wine
# environment, a display, one wineserver for the whole run, the compiler cache, and the
# default desktop held open. The caller calls end_test_session when it ends.
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
source "$(dirname "${BASH_SOURCE[0]}")/display.sh"

# One wineserver for the whole run: each test program then starts in a fraction of a second.
wineserver -p -f &
test_session_wineserver_pid=$!
end_test_session() {
    if [ -n "${holder_PID:-}" ]; then
        kill $(ps -o pid= --ppid "$holder_PID") "$holder_PID" 2>/dev/null || true
    fi
    kill "$test_session_wineserver_pid" 2>/dev/null || true
    stop_started_xvfb
}
# Start Wine's own services now, with their output away from CTest's pipes, which they
# would otherwise hold open for as long as the wineserver lives.
wine cmd /c exit >/dev/null 2>&1 </dev/null

# A compiler cache: the release test builds the program a second time, in a folder of its
# own, and the cache serves it from this build's objects.
export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR="$project_root"

# The test programs that make windows share the default desktop, held open for the whole
# run and known to take windows before the first test starts. Needs desktop_holder.exe built.
hold_default_desktop() {
    for _ in $(seq 10); do
        coproc holder { wine "$project_root/build/bin/desktop_holder.exe" 2>/dev/null; }
        local line=
        read -r -t 60 line <&"${holder[0]}" || true
        [[ $line == ready* ]] && return
        # It could make no window: let Wine close that desktop, then start one afresh.
        sleep 2
    done
    echo "test: no window can be made on display $DISPLAY" >&2
    exit 1
}
