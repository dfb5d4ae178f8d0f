#!/usr/bin/env bash
# Builds KeshBat and starts it under Wine on a ready sandbox: a Wine prefix
# in build/demo/prefix holding the four games' registry entries, small
# made-up game installs under C:\Games and a few patch scripts per game
# (all from scripts/demo/, copied afresh on every start so that the game
# files are back in their original state).
#
# With a display the dialog opens for you; the scripts' output shows in
# this terminal. Without one (or with --headless) the script starts Xvfb,
# presses "X-wing Alliance", runs its two-part script, accepts the
# disclaimer, prints what changed and saves a screenshot.
#
# Usage: scripts/demo.sh [--fresh] [--headless]
#   --fresh     remake the Wine prefix
#   --headless  walk through the demo on a private Xvfb even with a display
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
fresh=0
headless=0
[ -z "${DISPLAY:-}" ] && headless=1
for arg in "$@"; do
  case $arg in
    --fresh) fresh=1 ;;
    --headless) headless=1 ;;
    -h|--help) sed -n '2,/^set -e/{/^set -e/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
    *) echo "demo.sh: unknown option $arg (try --help)" >&2; exit 2 ;;
  esac
done

demo=$root/build/demo
prefix=$demo/prefix
drive=$prefix/drive_c
mkdir -p "$demo"

export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree=;mshtml="

step() { printf '\n== %s\n' "$*"; }
fail() { echo "demo.sh: $*" >&2; exit 1; }

step "Checking packages"
"$root/scripts/deps.sh"

step "Building the windows preset (log: build/demo/build.log)"
(cd "$root" && cmake --preset windows && cmake --build --preset windows -j 2) \
  >"$demo/build.log" 2>&1 || { tail -n 30 "$demo/build.log"; fail "the build failed"; }
exe=$root/build/windows/KeshBat.exe
[ -f "$exe" ] || fail "no $exe after the build"

# The prefix is made once and reused; the stamp tells a finished prefix
# from one whose making was cut short.
if [ "$fresh" = 1 ] || [ ! -f "$demo/prefix.ready" ]; then
  step "Making the Wine prefix build/demo/prefix (once, about 15 s)"
  [ -d "$prefix" ] && { wineserver -k 2>/dev/null || true; rm -rf "$prefix"; }
  rm -f "$demo/prefix.ready"
  "$root/scripts/wine-prefix.sh" "$prefix"
  touch "$demo/prefix.ready"
fi

step "Laying out the sandbox"
# Game installs and the program's own folder, fresh from scripts/demo/.
# Windows text files end their lines with CR LF.
rm -rf "$drive/Games" "$drive/KeshBat"
cp -r "$root/scripts/demo/Games" "$root/scripts/demo/KeshBat" "$drive/"
find "$drive/Games" "$drive/KeshBat" -type f -print0 | xargs -0 sed -i 's/\r*$/\r/'
cp "$exe" "$drive/KeshBat/"

# The installers are 32-bit programs: their keys live in the 32-bit view.
# Balance of Power has no key of its own; it is found inside X-Wing vs.
# TIE Fighter's folder.
add_game() {
  DISPLAY= wine reg add "HKLM\\Software\\$1" /v "Install Path" /d "$2" /reg:32 /f \
    </dev/null >/dev/null 2>&1 || fail "could not write the registry key $1"
}
add_game 'LucasArts Entertainment Company LLC\TIE95\1.0' 'C:\Games\TIE95'
add_game 'LucasArts Entertainment Company\X-Wing vs. TIE Fighter\1.0' 'C:\Games\XvT'
add_game 'LucasArts Entertainment Company LLC\X-Wing Alliance\v1.0' 'C:\Games\XWA'
# The registry was written with no display, and the Wine server started
# for it keeps that choice while it lingers: a window opened before it
# has gone finds no display driver.
wineserver -w

cat <<EOF
  C:\\KeshBat          KeshBat.exe and patch.ini ("\\KeshPatch")
  C:\\Games\\TIE95       TIE Fighter
  C:\\Games\\XvT         X-Wing vs. TIE Fighter, with BalanceOfPower inside
  C:\\Games\\XWA         X-Wing Alliance
  Each game has ships.txt and config.txt, and in KeshPatch three scripts:
  one plain, one with a space in its name, one two-part (":cont").
  On this machine: $drive
EOF

# Prints what the scripts changed, against the sample files.
show_changes() {
  local changed=0 file
  while IFS= read -r -d '' file; do
    local rel=${file#"$root/scripts/demo/"}
    if ! tr -d '\r' <"$drive/$rel" | cmp -s - "$file"; then
      changed=1
      echo "--- $rel before"
      sed 's/^/    /' "$file"
      echo "+++ $rel after"
      tr -d '\r' <"$drive/$rel" | sed 's/^/    /'
    fi
  done < <(find "$root/scripts/demo/Games" -name '*.txt' -print0 | sort -z)
  [ "$changed" = 1 ] || echo "  (no game file changed)"
}

if [ "$headless" = 0 ]; then
  step "Starting KeshBat on $DISPLAY: close its window to end the demo"
  echo "  Press a game button, select a script, press Run. The scripts' output shows here."
  # Started from C:\KeshBat so that it reads the patch.ini there. No stdin:
  # a script's "pause" must not wait on this terminal.
  (cd "$drive/KeshBat" && wine KeshBat.exe </dev/null) || true
  step "Game files the scripts changed"
  show_changes
  exit 0
fi

# No display: the same walk a user would take, on a private Xvfb.
step "No display: walking through X-wing Alliance on a private Xvfb"
xvfb_pid=
keshbat_pid=
cleanup() {
  [ -n "$keshbat_pid" ] && kill "$keshbat_pid" 2>/dev/null
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  return 0
}
trap cleanup EXIT

# Polls COMMAND every 0.2 s until it succeeds with output, for SECONDS.
wait_for() {
  local seconds=$1 out
  shift
  for _ in $(seq $((seconds * 5))); do
    out=$("$@" 2>/dev/null) && [ -n "$out" ] && { echo "$out"; return 0; }
    sleep 0.2
  done
  return 1
}

rm -f "$demo/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$demo/display" 2>"$demo/xvfb.log" &
xvfb_pid=$!
number=$(wait_for 10 cat "$demo/display") || fail "Xvfb did not start (see build/demo/xvfb.log)"
export DISPLAY=:$number
root_window=$(printf '%d' "$(xwininfo -root | awk '/Window id:/ {print $4}')")

(cd "$drive/KeshBat" && exec wine KeshBat.exe </dev/null >"$demo/wine.log" 2>&1) &
keshbat_pid=$!
# A first start in a new prefix on a busy machine can take a while.
dialog=$(wait_for 90 xdotool search --onlyvisible --name '^KeshBat$') || {
  import -window root "$demo/failure.png" 2>/dev/null
  kill -0 "$keshbat_pid" 2>/dev/null && echo "  (KeshBat is still running, with no window)" >&2
  fail "the KeshBat window did not appear (see build/demo/wine.log and failure.png)"
}
dialog=${dialog%%$'\n'*}
echo "  KeshBat is up on $DISPLAY"

# Clicks at a point of the dialog, counted from its top-left corner
# (title bar included), as measured on this prefix's fonts.
click() { xdotool mousemove --window "$dialog" "$1" "$2" click 1; sleep 0.5; }

# A message box that KeshBat shows: the error boxes say "Error", the
# disclaimer has no caption at all.
box_named() {
  local window
  for window in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
    [ "$window" != "$root_window" ] && [ "$window" != "$dialog" ] && { echo "$window"; return 0; }
  done
  return 1
}

# What the list box shows, read through the end-to-end tests' driver (a
# Win32 program that asks the list itself); "*" marks the selection.
# Without the driver: the scripts in the folder, which is what it lists.
driver=$root/build/windows/tests/e2e/keshbat_driver.exe
patch_folder=$drive/Games/XWA/KeshPatch
show_list() {
  if [ -f "$driver" ]; then
    printf 'find\t5000\nlist\n' | wine "$driver" 2>/dev/null | python3 -c '
import json, sys
replies = [json.loads(line) for line in sys.stdin if line.startswith("{")]
listed = replies[-1] if replies else {}
for index, item in enumerate(listed.get("items", [])):
    print("  *" if index == listed.get("selected") else "   ", item)'
  else
    (cd "$patch_folder" && ls -1 -- *.bat | sort -f | sed 's/^/    /')
  fi
}
echo "  Pressing \"X-wing Alliance\""
click 224 180
sleep 1
box_named '^Error$' >/dev/null && fail "KeshBat showed an error box instead of the list"
echo "  The list shows the scripts of C:\\Games\\XWA\\KeshPatch:"
show_list

echo "  Selecting missileboat.bat (first in the list, a two-part script)"
click 60 47
if [ -f "$driver" ]; then
  listing=$(show_list)
  echo "$listing"
  grep -q '^  \* missileboat.bat$' <<<"$listing" || fail "missileboat.bat is not selected"
fi
import -window "$dialog" "$demo/keshbat.png"
echo "  Screenshot: build/demo/keshbat.png"

echo "  Pressing Run"
click 55 228
disclaimer=$(wait_for 10 box_named '^$') || fail "the disclaimer did not appear"
echo "  The disclaimer is up; answering Yes"
xdotool windowfocus "$disclaimer" key Return

# The tail runs as __a.bat, which KeshBat deletes once cmd has finished.
done_running() { [ ! -e "$patch_folder/__a.bat" ] && ! box_named '^$' >/dev/null && echo done; }
sleep 1
wait_for 30 done_running >/dev/null || fail "the script did not finish within 30 s"

echo "  The script's own output:"
tr -d '\r' <"$demo/wine.log" | sed 's/^/    /'
step "Game files the script changed"
show_changes

step "Closing KeshBat"
width=$(xdotool getwindowgeometry "$dialog" | awk -F'[ x]+' '/Geometry/ {print $3}')
click $((width - 13)) 12
status=0
wait "$keshbat_pid" || status=$?
keshbat_pid=
echo "  KeshBat exited with code $status"
[ "$status" = 0 ] || fail "KeshBat did not exit cleanly"
