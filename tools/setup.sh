#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing, and proves that
# Wine runs 32-bit programs (the shipping build). Safe to run again; never asks questions.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake make
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  mingw-w64-i686-dev mingw-w64-x86-64-dev
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  googletest
  wine64 xvfb xauth imagemagick xdotool python3
  # The sound server the test and run scripts start, so that Wine has sound devices (tools/audio_server.sh).
  pulseaudio
  fonts-wine  # Tahoma and Marlett: dialogs look and measure as on players' machines
  lldb-14 python3-lldb-14  # tools/read_crash.sh reads crash reports with it
  # Wine's 32-bit half and the i386 GL/X libraries its display and Direct3D code load at run time.
  wine32:i386 libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386 libxcomposite1:i386 libxcursor1:i386
  libxfixes3:i386 libxi6:i386 libxinerama1:i386 libxrandr2:i386 libxrender1:i386 libxxf86vm1:i386
)

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

exec tools/check_wine32.sh
