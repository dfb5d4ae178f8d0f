#!/usr/bin/env bash
# Makes a fresh 64-bit Wine prefix in the folder given, ready for KeshBat
# to run in under Xvfb: Wine's own fonts in place (or "MS Sans Serif" and
# the caption buttons draw wrong) and unmanaged windows (or every window
# close stalls about two seconds under Xvfb).
# Usage: scripts/wine-prefix.sh FOLDER   (the folder must not exist yet)
set -euo pipefail

prefix=${1:?usage: wine-prefix.sh FOLDER}
[ -e "$prefix" ] && { echo "wine-prefix.sh: $prefix already exists" >&2; exit 1; }

export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree=;mshtml="}
export WINEARCH=win64

# No display is needed to make the prefix itself.
DISPLAY= wineboot -i </dev/null >/dev/null 2>&1
cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
DISPLAY= wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
wineserver -w
