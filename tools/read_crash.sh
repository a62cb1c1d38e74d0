#!/usr/bin/env bash
# Prints a crash report of the launcher as the studio reads it: the exception (code and name), the
# faulting module and address, and the crashing thread's stack with function, file and line for
# the launcher's own frames (module+offset where a module has no symbols).
# Usage: tools/read_crash.sh DUMP [SYMBOLS_FOLDER_OR_ZIP]
# Without symbols it takes this checkout's build of the dump's architecture (dist/win32-symbols or
# dist/win64-symbols, with the game folder beside it). A symbols zip of a release is unpacked first.
# The programs are matched by the build id the linker wrote into each of them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 1 ] && [ -f "$1" ] || { echo "usage: tools/read_crash.sh DUMP [SYMBOLS_FOLDER_OR_ZIP]" >&2; exit 2; }
dump=$(realpath "$1")
lldb=$(command -v lldb-14 || command -v lldb || true)
[ -n "$lldb" ] || { echo "read_crash: lldb is not installed (tools/setup.sh installs it)" >&2; exit 1; }

work=$(mktemp -d /tmp/skelvane-crash.XXXXXX)
trap 'rm -rf "$work"' EXIT

# The dump's own streams: architecture, exception, modules with their build ids (python reads
# the minidump format).
python3 - "$dump" >"$work/info" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
sig, ver, count, rva = struct.unpack_from("<4sIII", data, 0)
if sig != b"MDMP":
    sys.exit("read_crash: not a minidump")
streams = {}
for i in range(count):
    kind, size, at = struct.unpack_from("<III", data, rva + 12 * i)
    streams[kind] = (at, size)
def name_at(at):
    length, = struct.unpack_from("<I", data, at)
    return data[at + 4:at + 4 + length].decode("utf-16-le")
arch = struct.unpack_from("<H", data, streams[7][0])[0] if 7 in streams else 0
print("arch", "win64" if arch == 9 else "win32")
modules = []
if 4 in streams:
    at = streams[4][0]
    n, = struct.unpack_from("<I", data, at)
    for i in range(n):
        m = at + 4 + 108 * i
        base, size, checksum, stamp, name = struct.unpack_from("<QIIII", data, m)
        cv_size, cv_at = struct.unpack_from("<II", data, m + 76)
        build_id = "-"
        if cv_size >= 24 and data[cv_at:cv_at + 4] == b"RSDS":
            build_id = data[cv_at + 4:cv_at + 20].hex()
        modules.append((base, size, name_at(name), build_id))
for base, size, name, build_id in modules:
    print("module %x %x %s %s" % (base, size, build_id, name))
if 6 in streams:
    at = streams[6][0]
    thread, _, code, flags, record, address = struct.unpack_from("<IIIIQQ", data, at)
    print("thread %d" % thread)
    print("code %08X" % code)
    where = "address 0x%x" % address
    for base, size, name, _ in modules:
        if base <= address < base + size:
            where = "%s+0x%x" % (name.replace("/", "\\").split("\\")[-1], address - base)
    print("where", where)
PY

arch=$(sed -n 's/^arch //p' "$work/info")
symbols=${2:-$root/dist/$arch-symbols}
if [ -f "$symbols" ]; then
  mkdir "$work/symbols"
  python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$symbols" "$work/symbols"
  symbols=$(dirname "$(find "$work/symbols" -iname 'Skelvane.exe' | head -n1)")
fi
[ -d "$symbols" ] || { echo "read_crash: no symbols at $symbols (build the $arch programs first)" >&2; exit 1; }

code=$(sed -n 's/^code //p' "$work/info")
case $code in
  C0000005) name="access violation" ;;
  C00000FD) name="stack overflow" ;;
  C000001D) name="illegal instruction" ;;
  C0000094) name="integer division by zero" ;;
  C000008E) name="floating-point division by zero" ;;
  C0000096) name="privileged instruction" ;;
  C0000409) name="stack buffer overrun" ;;
  C0000374) name="heap corruption" ;;
  C0000417) name="invalid parameter to the C runtime" ;;
  40000015) name="abort (abort or std::terminate)" ;;
  80000003) name="breakpoint" ;;
  E06D7363) name="C++ exception" ;;
  *) name="unknown exception" ;;
esac
echo "Exception: 0x$code $name"
echo "Faulting module and address: $(sed -n 's/^where //p' "$work/info")"
echo "Crashing thread: $(sed -n 's/^thread //p' "$work/info")"

# Every module of the dump that the symbols folder holds is loaded at its address in the dump.
# The build id the linker wrote into the program ties it to its symbols: a dump that carries the
# id (the system's writer on Windows does) must name the same one; a dump without it (Wine's
# writer) is matched by file name and image size.
commands=$work/commands
echo "target create --core \"$dump\"" >"$commands"
while read -r _ base size build_id path; do
  file=${path##*[\\/]}
  candidate=$(find "$symbols" -maxdepth 1 -iname "$file" | head -n1)
  [ -n "$candidate" ] || continue
  read -r image_base image_size full_size file_id < <(python3 - "$candidate" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
pe, = struct.unpack_from("<I", data, 0x3C)
magic, = struct.unpack_from("<H", data, pe + 24)
image_base = struct.unpack_from("<Q" if magic == 0x20B else "<I", data, pe + 24 + (24 if magic == 0x20B else 28))[0]
# The image without its debug sections (long names, "/N" in the table) as loaded once stripped,
# and as it is.
alignment, = struct.unpack_from("<I", data, pe + 24 + 32)
sections, = struct.unpack_from("<H", data, pe + 6)
table = pe + 24 + struct.unpack_from("<H", data, pe + 20)[0]
image_size = 0
for i in range(sections):
    name, virtual_size, virtual_address = struct.unpack_from("<8sII", data, table + 40 * i)
    if not name.startswith((b"/", b".debug")):
        image_size = max(image_size, -(-(virtual_address + virtual_size) // alignment) * alignment)
at = data.find(b"RSDS")
print("%x %x %x" % (image_base, image_size, struct.unpack_from("<I", data, pe + 24 + 56)[0]),
      data[at + 4:at + 20].hex() if at >= 0 else "-")
PY
)
  if { [ "$build_id" != "-" ] && [ "$build_id" != "$file_id" ]; } ||
     { [ "$build_id" = "-" ] && [ "$size" != "$image_size" ] && [ "$size" != "$full_size" ]; }; then
    echo "Symbols: $file in $symbols is not the program of the dump (another build id or size): not used"
    continue
  fi
  echo "target modules add \"$candidate\"" >>"$commands"
  echo "target modules load --file \"$candidate\" --slide $((0x$base - 0x$image_base))" >>"$commands"
done < <(grep '^module ' "$work/info")
echo "thread backtrace" >>"$commands"
echo "Stack of the crashing thread:"
"$lldb" --batch -s "$commands" 2>&1 | sed -n '/^\* thread/,$p'
