#!/usr/bin/env bash
# Runs the crash-report tests of a test program in a throwaway Wine prefix of its own (a stack
# overflow on the launcher's main thread can leave it half-ended until the prefix's server stops),
# then reads every dump they kept back with tools/read_crash.sh: each must name its exception and,
# where the engine faulted inside its idle step, the host loop's frame CGame::run. The uploads go to
# a receiving server started here (crash_receiver.py); the dump it received is read back too. A second
# one takes HTTPS with a certificate of a throwaway authority that only this prefix trusts.
# The symbols are the build's, with the test engine beside them as a studio keeps its engine's
# programs: it has no debug information, but the debugger needs its code to walk through it.
# The engine built as studios build theirs (without frame pointers or unwind tables) then dies by
# an access in its idle step once more: its report, from a symbols zip, names CGame::run too, found
# by scanning the stack where the walk cannot go on. Last, what the reader must refuse.
# Usage: run_crash_tests.sh SYMBOLS_FOLDER TEST_ENGINE STUDIO_ENGINE PROGRAM [ARGS...]
set -euo pipefail
build_symbols=$1
engine=$2
studio_engine=$3
program=$4
shift 4
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../tools/wine_session.sh"
prefix=$(mktemp -d /tmp/skelvane-crash-prefix.XXXXXX)
kept=$(mktemp -d /tmp/skelvane-crash-dumps.XXXXXX)
receiver=$(mktemp -d /tmp/skelvane-crash-receiver.XXXXXX)
tls=$receiver/tls
mkdir "$tls"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$tls/ca.key" -out "$tls/ca.pem" -days 1 -subj "/CN=Skelvane test authority" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout "$tls/key.pem" -out "$tls/csr.pem" -subj "/CN=localhost" 2>/dev/null
openssl x509 -req -in "$tls/csr.pem" -CA "$tls/ca.pem" -CAkey "$tls/ca.key" -CAcreateserial -out "$tls/cert.pem" -days 1 \
  -extfile <(printf 'subjectAltName=DNS:localhost\nextendedKeyUsage=serverAuth\n') 2>/dev/null
python3 "$here/crash_receiver.py" "$receiver" & receiver_pid=$!
python3 "$here/crash_receiver.py" "$tls" "$tls/cert.pem" "$tls/key.pem" & tls_pid=$!
trap 'kill $receiver_pid $tls_pid; wine_session_stop; rm -rf "$prefix" "$kept" "$receiver"' EXIT
for _ in $(seq 50); do [ -s "$receiver/port" ] && [ -s "$tls/port" ] && break; sleep 0.1; done
symbols=$kept/symbols
mkdir "$symbols"
cp "$build_symbols"/* "$symbols/"
cp "$engine" "$symbols/"  # in place of the demo engine
# A display of its own too: the suite's keyboard tests must keep the focus.
wine_session_start "$prefix" 1024x768x24 force-xvfb
# The authority in this prefix's root store only: a certificate property blob (id 0x20, the DER).
ca_sha1=$(openssl x509 -in "$tls/ca.pem" -noout -fingerprint -sha1 | sed 's/.*=//; s/://g')
ca_blob=$(openssl x509 -in "$tls/ca.pem" -outform der | python3 -c \
  'import struct, sys; d = sys.stdin.buffer.read(); print((struct.pack("<III", 0x20, 1, len(d)) + d).hex())')
"$WINE" reg add "HKLM\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\$ca_sha1" /v Blob /t REG_BINARY \
  /d "$ca_blob" /f >/dev/null 2>&1
status=0
# A filter in the environment (tools/seed_faults.py) chooses among the crash cases.
if [ -n "${GTEST_FILTER:-}" ]; then
  for arg in "$@"; do shift; [[ $arg == --gtest_filter=* ]] || set -- "$@" "$arg"; done
fi
SKELVANE_CRASH_KEEP="Z:${kept//\//\\}" SKELVANE_CRASH_RECEIVER="Z:${receiver//\//\\}" "$WINE" "$program" "$@" >"$kept/log" 2>&1 </dev/null || status=$?
cat "$kept/log"
"$WINESERVER" -k >/dev/null 2>&1 || true
mkdir "$kept/studio" "$kept/studio-symbols"
SKELVANE_CRASH_KEEP="Z:${kept//\//\\}\\studio" SKELVANE_TEST_ENGINE_DLL="Z:${studio_engine//\//\\}" \
  "$WINE" "$program" "$@" --gtest_filter='Engine/WayOfDying.*/access' >"$kept/log" 2>&1 </dev/null || status=$?
cat "$kept/log"
"$WINESERVER" -k >/dev/null 2>&1 || true
reader=$here/../../tools/read_crash.sh

declare -A expected=([access]=C0000005 [illegal]=C000001D [divide]=C0000094 [terminate]=40000015 [threads]=C0000005
                     [stack]=C00000FD [abort2]=40000015 [exit]=40000015 [overrun]=C0000409 [received]=C0000005)
for way in "${!expected[@]}"; do
  dump=$kept/$way.dmp
  [ -f "$dump" ] || [ -n "${GTEST_FILTER:-}" ] || { echo "read-back $way: no dump kept"; status=1; }
  [ -f "$dump" ] || continue
  report=$("$reader" "$dump" "$symbols" 2>&1) || true
  echo "=== read-back $way ($(stat -c %s "$dump") bytes)"
  echo "$report"
  grep -q "^Exception: 0x${expected[$way]} " <<<"$report" || { echo "read-back $way: not exception ${expected[$way]}"; status=1; }
  # Faults in the engine's idle step lead back to the host loop on both architectures (walked, or
  # found by scanning where the debugger loses the way: through the compiler runtime's terminate
  # handler, through a 64-bit overflowed stack), and abort names the launcher's own frame. The
  # engine's threads and a static destructor at the process's end have no launcher frame: for those
  # the exception is what is checked.
  case $way in
    access | illegal | divide | terminate | stack | received) frame='CGame::run' ;;
    abort2) frame='Skelvane.exe`[A-Za-z_]' ;;
    *) frame='' ;;
  esac
  if [ -n "$frame" ] && ! grep -q "$frame" <<<"$report"; then
    echo "read-back $way: no $frame frame on the stack"; status=1
  fi
done

# The studio's engine, its programs in a symbols zip as a release of it carries them.
cp "$build_symbols"/* "$kept/studio-symbols/"
cp "$studio_engine" "$kept/studio-symbols/"
(cd "$kept" && python3 -m zipfile -c studio-symbols.zip studio-symbols/)
dump=$kept/studio/access.dmp
if [ -f "$dump" ]; then
  report=$("$reader" "$dump" "$kept/studio-symbols.zip" 2>&1) || true
  scanned=$("$reader" --scan "$dump" "$kept/studio-symbols.zip" 2>&1) || true
  echo "=== read-back access in the studio's engine ($(stat -c %s "$dump") bytes)"
  echo "$scanned"
  grep -q 'CGame::run' <<<"$report" || { echo "read-back studio: no CGame::run frame on the stack"; status=1; }
  grep -q 'CGame::run.*found by scanning' <<<"$scanned" ||
    { echo "read-back studio: the scan did not find CGame::run"; status=1; }
  # Symbols without the engine's code, which leave the debugger no way through it.
  mkdir "$kept/launcher-symbols"
  cp "$build_symbols/Skelvane.exe" "$kept/launcher-symbols/"
  report=$("$reader" "$dump" "$kept/launcher-symbols" 2>&1) || true
  grep -q 'CGame::run' <<<"$report" ||
    { echo "read-back studio without the engine's code: no CGame::run frame on the stack"; status=1; }
else
  echo "read-back studio: no dump kept"; status=1
fi

# Refused with one line and exit code 1: an empty, cut or foreign file, symbols of another build
# (the test engine for the studio's), a symbols zip without the launcher, a debugger that fails.
refused() {
  local what=$1 text=$2 out code=0
  shift 2
  out=$("$reader" "$@" 2>&1 >/dev/null) || code=$?
  if [ "$code" -ne 1 ] || [ "$(wc -l <<<"$out")" -ne 1 ] || ! grep -q "^read_crash: .*$text" <<<"$out"; then
    echo "read_crash $what: not refused with one line '$text' and exit code 1 (exit $code): $out"; status=1
  fi
}
dump=$kept/access.dmp
: >"$kept/empty.dmp"
head -c $(($(stat -c %s "$dump") / 2)) "$dump" >"$kept/cut.dmp"
refused "an empty file" "is empty" "$kept/empty.dmp" "$symbols"
refused "a cut dump" "is cut short" "$kept/cut.dmp" "$symbols"
refused "a program as the dump" "is not a minidump" "$symbols/Skelvane.exe" "$symbols"
refused "symbols of another build" "another build refused: .*Korvex.dll" "$dump" "$kept/studio-symbols.zip"
(cd "$kept/studio-symbols" && python3 -m zipfile -c ../engine-only.zip Korvex.dll)
refused "a zip without the launcher" "holds no Skelvane.exe" "$dump" "$kept/engine-only.zip"
mkdir "$kept/bin"
printf '#!/bin/sh\necho "error: the debugger broke" >&2\nexit 1\n' >"$kept/bin/lldb-14"
chmod +x "$kept/bin/lldb-14"
PATH=$kept/bin:$PATH refused "a failing debugger" "the debugger could not read" "$dump" "$symbols"
exit "$status"
