# Sourced: makes sure an X display is there; starts Xvfb when none answers.
# Sets started_xvfb_pid when it started one, so the caller can stop it.
started_xvfb_pid=
if ! xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
    Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    started_xvfb_pid=$!
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] && break
        sleep 0.1
    done
fi
