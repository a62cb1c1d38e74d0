#!/usr/bin/env bash
# The release's last steps for one package: the studio's own engine and sound library in place of the
# stand-ins, Authenticode signatures on the programs, and the zip packed again from those files.
#
#   sign_and_pack.sh check [ENGINE_DIR]
#       Before anything is built: the signing settings and the studio's libraries (ENGINE_DIR holds
#       the 32-bit Korvex.dll and fmod.dll, ENGINE_DIR/win64 the 64-bit ones when the studio has them).
#       Says in one line when the release is unsigned or its signatures carry no time stamp.
#   sign_and_pack.sh pack PLATFORM ZIP OUTPUT_DIR [ENGINE_DIR]
#       Writes the package of PLATFORM made from the build's ZIP into OUTPUT_DIR and prints its path:
#       ZIP itself when there is nothing to sign or replace, otherwise ZIP's files with the studio's
#       libraries and signed programs, packed by make_package.py (the studio's package is named
#       ...-PLATFORM-game.zip). Beside it go its symbols for reading crash reports (NAME-symbols.zip):
#       the build's symbols zip (ZIP's name with -symbols), with the studio's libraries in place of
#       the stand-ins when the package holds them, as the debugger needs their code.
#
# The certificate comes from the environment: SKELVANE_SIGN_PKCS12 (a PKCS#12 file),
# SKELVANE_SIGN_PASSWORD_FILE (a file holding its password, which osslsigncode reads itself, so that
# the password is on no command line and in no log) and, optional, SKELVANE_SIGN_TIMESTAMP_URL (an
# RFC 3161 time-stamp server).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
objdump=x86_64-w64-mingw32-objdump  # reads 32-bit and 64-bit programs alike
# Debian's Python, as the build's: its zlib decides the zip's bytes.
python=/usr/bin/python3
[ -x "$python" ] || python=python3

signing() { [ -n "${SKELVANE_SIGN_PKCS12:-}${SKELVANE_SIGN_PASSWORD_FILE:-}" ]; }

# The folder of PLATFORM's libraries in ENGINE_DIR (empty when the studio has none for it).
libraries_of() {
  case $1 in
    win32) echo "$2" ;;
    win64) [ -n "$2" ] && [ -d "$2/win64" ] && echo "$2/win64" || true ;;
  esac
}

bits() { case $1 in pei-i386) echo 32-bit ;; pei-x86-64) echo 64-bit ;; *) echo "$1" ;; esac; }

# Prints what is wrong with the studio's libraries in DIR for PLATFORM, one line each.
library_problems() {
  local dir=$1 platform=$2 format library file got headers exports name
  case $platform in win32) format=pei-i386 ;; win64) format=pei-x86-64 ;; esac
  for library in Korvex.dll fmod.dll; do
    file=$dir/$library
    [ -f "$file" ] || { echo "$file is missing (the $platform package needs the studio's $library)"; continue; }
    got=$("$objdump" -f "$file" 2>/dev/null | sed -n 's/.*file format //p')
    case $got in
      pei-*) ;;
      *) echo "$file is not a Windows DLL"; continue ;;
    esac
    [ "$got" = "$format" ] ||
      { echo "$file is a $(bits "$got") DLL; the $platform package needs a $(bits "$format") one"; continue; }
    headers=$("$objdump" -p "$file")
    grep -qx $'\tDLL' <<<"$headers" || { echo "$file is a program, not a DLL"; continue; }
    exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/s/^\s*\[ *[0-9]*\] //p' <<<"$headers")
    for name in $(awk -v format="$format" -v library="$library" \
                      '$1 == format && $2 == library { $1 = $2 = ""; print }' "$root/tools/launcher_imports.txt"); do
      grep -qxF -- "$name" <<<"$exports" || echo "$file does not export $name, which Skelvane.exe imports from it"
    done
  done
}

refuse() { printf 'release: refused, %s\n' "$@" >&2; echo "release: nothing was written" >&2; exit 1; }

check() {
  local engine=${1:-} problems=""
  if [ -n "$engine" ]; then
    [ -d "$engine" ] || refuse "$engine is not a folder"
    problems=$(library_problems "$engine" win32)
    [ -d "$engine/win64" ] && problems+=$'\n'$(library_problems "$engine/win64" win64)
    problems=$(sed '/^$/d' <<<"$problems")
    [ -z "$problems" ] || { mapfile -t lines <<<"$problems"; refuse "${lines[@]}"; }
    [ -d "$engine/win64" ] || echo "release: $engine has no win64 folder: the win64 package holds the stand-ins"
  fi
  if signing; then
    for variable in SKELVANE_SIGN_PKCS12 SKELVANE_SIGN_PASSWORD_FILE; do
      [ -n "${!variable:-}" ] || refuse "$variable is not set (signing needs both certificate variables)"
      [ -r "${!variable}" ] || refuse "$variable names ${!variable}, which cannot be read"
    done
    [ -n "${SKELVANE_SIGN_TIMESTAMP_URL:-}" ] ||
      echo "release: signing without a time stamp (SKELVANE_SIGN_TIMESTAMP_URL is not set): the signatures count only while the certificate is valid"
  else
    echo "release: unsigned (SKELVANE_SIGN_PKCS12 is not set)"
  fi
}

is_signed() { "$objdump" -p "$1" | awk '/Security Directory/ { found = ($4 != "00000000") } END { exit !found }'; }

sign() {
  local file=$1 stamp=()
  if is_signed "$file"; then
    echo "release: $(basename "$file") is signed already; left as it is" >&2
    return
  fi
  [ -n "${SKELVANE_SIGN_TIMESTAMP_URL:-}" ] && stamp=(-ts "$SKELVANE_SIGN_TIMESTAMP_URL")
  osslsigncode sign -pkcs12 "$SKELVANE_SIGN_PKCS12" -readpass "$SKELVANE_SIGN_PASSWORD_FILE" -h sha256 \
    "${stamp[@]}" -in "$file" -out "$file.signed" >/dev/null ||
    { echo "release: signing $(basename "$file") failed" >&2; exit 1; }
  mv "$file.signed" "$file"
}

pack() {
  local platform=$1 zip=$2 out=$3 libraries name folder problems symbols
  libraries=$(libraries_of "$platform" "${4:-}")
  symbols=${zip%.zip}-symbols.zip
  [ -f "$symbols" ] || { echo "release: $symbols is missing (the build makes it beside $zip)" >&2; exit 1; }
  if ! signing && [ -z "$libraries" ]; then
    cp "$zip" "$zip.sha256" "$zip.buildinfo" "$symbols" "$symbols.sha256" "$out/"
    echo "$out/$(basename "$zip")"
    return
  fi
  name=$(basename "$zip")
  if [ -n "$libraries" ]; then
    problems=$(library_problems "$libraries" "$platform")
    [ -z "$problems" ] || { mapfile -t lines <<<"$problems"; refuse "${lines[@]}"; }
    name=${name%.zip}-game.zip
  fi
  stage=$(mktemp -d /tmp/skelvane-pack.XXXXXX)  # not local: the trap removes it when the script ends
  trap 'rm -rf "$stage"' EXIT
  "$python" -m zipfile -e "$zip" "$stage"
  folder=$stage/$(basename "$zip" .zip)
  [ -n "$libraries" ] && cp "$libraries/Korvex.dll" "$libraries/fmod.dll" "$folder/"
  if signing; then
    shopt -s nullglob
    for file in "$folder"/*.exe "$folder"/*.dll; do sign "$file"; done
  fi
  "$python" "$root/tools/make_package.py" "$out/$name" "$folder"/*
  cp "$zip.buildinfo" "$out/$name.buildinfo"
  if [ -n "$libraries" ]; then
    mkdir "$stage/symbols"
    "$python" -m zipfile -e "$symbols" "$stage/symbols"
    folder=$stage/symbols/$(basename "$symbols" .zip)
    cp "$libraries/Korvex.dll" "$libraries/fmod.dll" "$folder/"
    "$python" "$root/tools/make_package.py" "$out/${name%.zip}-symbols.zip" "$folder"/*
  else
    cp "$symbols" "$symbols.sha256" "$out/"
  fi
  echo "$out/$name"
}

usage="usage: sign_and_pack.sh check [ENGINE_DIR] | pack PLATFORM ZIP OUTPUT_DIR [ENGINE_DIR]"
case ${1:-} in
  check) shift; check "$@" ;;
  pack) shift; [ $# -ge 3 ] || { echo "$usage" >&2; exit 2; }; pack "$@" ;;
  *) echo "$usage" >&2; exit 2 ;;
esac
