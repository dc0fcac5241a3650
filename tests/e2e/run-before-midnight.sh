#!/usr/bin/env bash
# Runs an end-to-end test program on a clock 15 to 75 seconds before midnight, whatever the
# machine's: Wine takes a program's time zone from TZ, and the programs it starts keep it.
source "$(dirname "$0")/../../tools/env.sh"
now=$(date -u +%s)
# The local seconds are UTC's: the local minute is 23:59, or 23:58 in the minute's last quarter.
target=$((now % 60 <= 45 ? 1439 : 1438))
offset=$(((target - now / 60 % 1440 + 1440) % 1440))
((offset > 720)) && offset=$((offset - 1440))
# POSIX counts the offset west of Greenwich.
if ((offset > 0)); then sign=-; else sign=+; fi
east=${offset#-}
TZ=$(printf 'XYZ%s%02d:%02d' "$sign" $((east / 60)) $((east % 60))) exec wine "$@"
