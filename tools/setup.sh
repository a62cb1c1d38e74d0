#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing, and proves that
# Wine runs 32-bit programs (the shipping build) wherever the kernel runs them at all.
# --build-only: only what building needs; tools/release.sh runs nothing, so it needs no Wine.
# Safe to run again; never asks questions.
set -euo pipefail
cd "$(dirname "$0")/.."

# Building the programs and the packages (binutils also makes the kernel's 32-bit probe).
build_packages=(
  cmake make binutils python3
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  mingw-w64-i686-dev mingw-w64-x86-64-dev
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  # Authenticode signing of the release, and the throwaway certificates its test makes.
  osslsigncode openssl
)
# Building and running the tests, and running the launcher.
packages=(
  googletest
  wine64 xvfb xauth imagemagick xdotool
  # The sound server the test and run scripts start, so that Wine has sound devices (tools/audio_server.sh).
  pulseaudio
  fonts-wine  # Tahoma and Marlett: dialogs look and measure as on players' machines
  lldb-14 python3-lldb-14  # tools/read_crash.sh reads crash reports with it
)
# Wine's 32-bit half and the i386 GL/X libraries its display and Direct3D code load at run time:
# only where the kernel runs 32-bit programs.
wine32_packages=(
  wine32:i386 libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386 libxcomposite1:i386 libxcursor1:i386
  libxfixes3:i386 libxi6:i386 libxinerama1:i386 libxrandr2:i386 libxrender1:i386 libxxf86vm1:i386
)

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
updated=""
install_missing() {
  local p missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if [[ " ${missing[*]}" == *:i386* ]]; then
    dpkg --print-foreign-architectures | grep -qx i386 || { $sudo dpkg --add-architecture i386; updated=""; }
  fi
  [ -n "$updated" ] || { $sudo apt-get update -qq; updated=yes; }
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

if [ "${1:-}" = --build-only ]; then
  install_missing "${build_packages[@]}"
  exit 0
fi
install_missing "${build_packages[@]}" "${packages[@]}"

kernel=0
tools/kernel_runs_32bit.sh || kernel=$?
case $kernel in
  0) install_missing "${wine32_packages[@]}"
     exec tools/check_wine32.sh ;;
  1) echo "setup: this machine's kernel cannot execute 32-bit programs (\"Exec format error\"), so nothing 32-bit runs here: the 32-bit build is built and checked without running it, and the 64-bit build is the one that runs." ;;
  *) exit 1 ;;
esac
