# Sourced: makes sure an X display is there; starts Xvfb when none answers.
# The caller stops it again with stop_started_xvfb (on exit).
started_xvfb_pid=
stop_started_xvfb() {
    [ -z "$started_xvfb_pid" ] || kill "$started_xvfb_pid" 2>/dev/null || true
}
if ! xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
    Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    started_xvfb_pid=$!
    # Its socket can be there before it answers: wait for an answer.
    for _ in $(seq 200); do
        xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && break
        sleep 0.1
    done
    xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 || { echo "display: Xvfb does not answer on $DISPLAY" >&2; exit 1; }
fi
