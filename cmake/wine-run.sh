#!/usr/bin/env bash
# Runs a Windows program under the project's Wine prefix (CTest's emulator).
here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/tools/env.sh"
exec wine "$@"
