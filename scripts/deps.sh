#!/usr/bin/env bash
# Installs, on Debian or Ubuntu, whatever building and testing KeshBat needs
# and the machine lacks. Safe to run again: it installs nothing when all is
# there. Only the 64-bit Wine is wanted (wine32 breaks `wine` on machines
# that cannot run 32-bit Linux binaries).
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ python3 googletest libgtest-dev
  g++-mingw-w64-x86-64 g++-mingw-w64-i686
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine wine64 fonts-wine
  xvfb xauth x11-utils xdotool imagemagick
  clang libclang-rt-14-dev
  zip unzip
)

missing=()
for package in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
