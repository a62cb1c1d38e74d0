#!/usr/bin/env bash
# The release's signing and the studio's libraries, with a throwaway certificate authority and
# code-signing certificate made here: the build's package signed by tools/sign_and_pack.sh verifies
# against that authority, fails by one changed byte, and gives back the game folder's programs byte
# for byte when the signatures come off; the studio's libraries replace the stand-ins in the package
# and in its symbols zip, are not signed twice, and a library of the other architecture or without the engine's export is refused by
# tools/release.sh with nothing written.
# Usage: check_signing.sh PLATFORM PACKAGE_ZIP DIST_DIR
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
platform=$1 zip=$(realpath "$2") dist=$(realpath "$3")
work=$(mktemp -d /tmp/skelvane-signing.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
status=0
fail() { echo "signing: $*"; status=1; }

openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout ca.key -out ca.pem -days 2 -subj "/CN=Throwaway test CA" \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign 2>/dev/null &&
openssl req -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout signer.key -out signer.csr -subj "/CN=Throwaway test signer" 2>/dev/null &&
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >signer.ext &&
openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile signer.ext \
  -out signer.pem 2>/dev/null &&
printf 'a throwaway password\n' >password &&
openssl pkcs12 -export -in signer.pem -inkey signer.key -passout file:password -out signer.p12 ||
  { echo "signing: openssl could not make the test certificate"; exit 1; }
export SKELVANE_SIGN_PKCS12=$work/signer.p12 SKELVANE_SIGN_PASSWORD_FILE=$work/password
unset SKELVANE_SIGN_TIMESTAMP_URL

# The build's package, signed.
folder=$(basename "$zip" .zip)
mkdir signed
"$root/tools/sign_and_pack.sh" pack "$platform" "$zip" signed >/dev/null || fail "pack failed"
python3 -m zipfile -e "signed/$folder.zip" signed/
(cd signed && sha256sum -c --quiet "$folder.zip.sha256") || fail "the checksum is not the signed zip's"
mkdir bare
programs=$(cd "$dist" && ls *.exe *.dll)
for program in $programs; do
  file=signed/$folder/$program
  osslsigncode verify -CAfile ca.pem -in "$file" >verify.log 2>&1 || { cat verify.log; fail "$program does not verify"; }
  grep -q "Message digest algorithm *: SHA256" verify.log || fail "$program is not signed with SHA-256"
  osslsigncode remove-signature -in "$file" -out "bare/$program" >/dev/null &&
    cmp -s "bare/$program" "$dist/$program" || fail "$program without its signature is not the game folder's"
done
cp "signed/$folder/Skelvane.exe" changed.exe
printf 'x' | dd of=changed.exe bs=1 seek=1024 conv=notrunc 2>/dev/null
osslsigncode verify -CAfile ca.pem -in changed.exe >/dev/null 2>&1 && fail "a program changed after signing still verifies"

# The studio's libraries (here the signed ones from above): packed in place of the stand-ins, as they are.
[ "$platform" = win32 ] && studio=studio || studio=studio/win64
mkdir -p "$studio" game
cp "signed/$folder/Korvex.dll" "signed/$folder/fmod.dll" "$studio/"
"$root/tools/sign_and_pack.sh" pack "$platform" "$zip" game studio >/dev/null 2>&1 || fail "pack with the studio's libraries failed"
python3 -m zipfile -e "game/$folder-game.zip" game/
python3 -m zipfile -e "game/$folder-game-symbols.zip" game/
cmp -s "game/$folder-game-symbols/Skelvane.exe" "$dist-symbols/Skelvane.exe" || fail "the game's symbols lack the launcher's"
for library in Korvex.dll fmod.dll; do
  cmp -s "game/$folder-game/$library" "$studio/$library" || fail "the studio's $library was not packed as it is"
  cmp -s "game/$folder-game-symbols/$library" "$studio/$library" || fail "the game's symbols lack the studio's $library"
done

# Refused before anything is built: a library of the other architecture, and one without the engine's
# export (the sound library named Korvex.dll).
mkdir -p other/win64 lacking/win64
cp "$dist/Korvex.dll" "$dist/fmod.dll" other/
[ "$platform" = win32 ] && cp "$dist/Korvex.dll" "$dist/fmod.dll" other/win64/
cp "$dist/fmod.dll" "lacking/${studio#studio}/Korvex.dll"
cp "$dist/fmod.dll" "lacking/${studio#studio}/fmod.dll"
refused() {
  local message
  message=$("$root/tools/release.sh" --engine "$work/$1" "$work/release" 2>&1) && fail "--engine $1 was not refused"
  grep -qF "$work/$2" <<<"$message" || fail "--engine $1: the refusal does not say '$2': $message"
  [ ! -e "$work/release" ] || fail "--engine $1 wrote $work/release"
}
if [ "$platform" = win32 ]; then
  refused other "other/win64/Korvex.dll is a 32-bit DLL; the win64 package needs a 64-bit one"
  refused lacking "lacking/Korvex.dll does not export"
else
  refused other "other/Korvex.dll is a 64-bit DLL; the win32 package needs a 32-bit one"
  refused lacking "lacking/win64/Korvex.dll does not export"
fi

[ $status -eq 0 ] && echo "signing: $(wc -w <<<"$programs") programs verify, one changed byte fails, unsigned again byte for byte; studio's libraries packed as they are, wrong ones refused"
exit $status
