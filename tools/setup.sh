#!/usr/bin/env bash
# Installs what is missing and prepares the Wine prefix. Safe to run again.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

packages=(cmake ninja-build g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
          wine wine64 fonts-wine xvfb xauth x11-utils googletest python3 openssl imagemagick xdotool sox
          e2fsprogs nsis osslsigncode mscompress gcab python3-pyftpdlib ccache
          clang libfuzzer-14-dev libclang-rt-14-dev zlib1g-dev nginx-light)
missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "setup: creating Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
fi
# Caption buttons, scroll arrows and menu marks are drawn with the Marlett font; without it
# Wine draws letters. Debian's fonts-wine has it in a folder this Wine does not look in, so
# it goes where Wine looks: the prefix's own Fonts folder.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
[ -f "$fonts/marlett.ttf" ] || cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
marker="$WINEPREFIX/.soriel-desktops"
if [ ! -f "$marker" ] || [ "$project_root/tools/desktops.reg" -nt "$marker" ]; then
    wine regedit /S "$(winepath -w "$project_root/tools/desktops.reg")" >/dev/null 2>&1
    wineserver -w
    touch "$marker"
fi
