#!/usr/bin/env bash
# Runs an end-to-end test program with its error output in a file: Wine writes the debug
# trace of every program the test starts there, which is how a test sees the sound calls.
source "$(dirname "$0")/../../tools/env.sh"
trace=$(mktemp /tmp/soriel-trace.XXXXXX)
SORIEL_TRACE_FILE="$(winepath -w "$trace")" wine "$@" 2>"$trace"
status=$?
rm -f "$trace"
exit $status
