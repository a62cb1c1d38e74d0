#!/usr/bin/env python3
"""Prints a crash report of the launcher as the studio reads it: the exception (code and name), the
faulting module and address, and the crashing thread's stack with function, file and line for the
programs with symbols (module+offset where a module has none).

The debugger (lldb) walks the stack. Where it loses its way before reaching the launcher's frames
(in an engine built without frame pointers or unwind tables), the crashing thread's stack memory is
scanned for return addresses into the launcher's code, and the frames found are printed by name,
marked as found by scanning.

Usage: tools/read_crash.sh [--scan] DUMP [SYMBOLS_FOLDER_OR_ZIP]
--scan prints the frames found by scanning also when the walk reached the launcher's frames.
Without symbols it takes this checkout's build of the dump's architecture (dist/win32-symbols or
dist/win64-symbols). A symbols zip of a release is unpacked first. The programs are matched by the
build id the linker wrote into each of them (in dumps without build ids, as Wine writes them, by
name, size, link time stamp and the code kept around the faulting address); symbols of another
build are refused. Anything that keeps the report from being read ends with one line and exit
code 1 (2 for a wrong command line).
"""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
USAGE = "usage: tools/read_crash.sh [--scan] DUMP [SYMBOLS_FOLDER_OR_ZIP]"
SCANNED_FRAMES_SHOWN = 40

EXCEPTIONS = {
    0xC0000005: "access violation", 0xC00000FD: "stack overflow", 0xC000001D: "illegal instruction",
    0xC0000094: "integer division by zero", 0xC000008E: "floating-point division by zero",
    0xC0000096: "privileged instruction", 0xC0000409: "stack buffer overrun", 0xC0000374: "heap corruption",
    0xC0000417: "invalid parameter to the C runtime", 0x40000015: "abort (abort or std::terminate)",
    0x80000003: "breakpoint", 0xE06D7363: "C++ exception",
}


class Refused(Exception):
    """The one line that says why no report can be read."""


def file_name(path):
    return path.replace("/", "\\").split("\\")[-1]


class Dump:
    """The minidump streams the report needs: system, modules, exception with its context, and the
    crashing thread's stack memory."""

    def __init__(self, path):
        try:
            with open(path, "rb") as f:
                self.data = f.read()
        except OSError as e:
            raise Refused("%s cannot be read: %s" % (path, e.strerror))
        if not self.data:
            raise Refused("%s is empty (a dump whose writing was cut off before it began)" % path)
        if self.data[:4] != b"MDMP":
            raise Refused("%s is not a minidump (a crash report begins with MDMP)" % path)
        try:
            self._read(path)
        except (struct.error, IndexError, UnicodeDecodeError):
            raise Refused("%s is cut short or damaged: a part it lists is not in the file" % path)

    def _read(self, path):
        data = self.data
        _, _, count, rva = struct.unpack_from("<4sIII", data, 0)
        streams = {}
        for i in range(count):
            kind, size, at = struct.unpack_from("<III", data, rva + 12 * i)
            if at + size > len(data):
                raise Refused("%s is cut short: it ends at byte %d, before the parts it lists" % (path, len(data)))
            streams.setdefault(kind, at)
        if 7 not in streams or 4 not in streams or 6 not in streams or 3 not in streams:
            raise Refused("%s holds no exception, module list or threads: not a crash report" % path)
        arch, = struct.unpack_from("<H", data, streams[7])
        if arch not in (0, 9):
            raise Refused("%s is a dump of a program for another processor (architecture %d)" % (path, arch))
        self.win64 = arch == 9
        self.arch = "win64" if self.win64 else "win32"
        self.modules = []  # (base, size, name, build id or None, time stamp)
        at = streams[4]
        n, = struct.unpack_from("<I", data, at)
        for i in range(n):
            m = at + 4 + 108 * i
            base, size, _, stamp, name = struct.unpack_from("<QIIII", data, m)
            cv_size, cv_at = struct.unpack_from("<II", data, m + 76)
            build_id = None
            if cv_size >= 24 and data[cv_at:cv_at + 4] == b"RSDS":
                build_id = data[cv_at + 4:cv_at + 20].hex()
            length, = struct.unpack_from("<I", data, name)
            self.modules.append((base, size, data[name + 4:name + 4 + length].decode("utf-16-le"), build_id, stamp))
        at = streams[6]
        self.thread, _, self.code, _, _, self.address = struct.unpack_from("<IIIIQQ", data, at)
        context_size, context_at = struct.unpack_from("<II", data, at + 160)
        sp_at = 0x98 if self.win64 else 0xC4
        if context_size < sp_at + 8:
            raise IndexError
        self.sp, = struct.unpack_from("<Q" if self.win64 else "<I", data, context_at + sp_at)
        # The memory the writer kept besides the stacks: the code around the faulting address.
        self.memory = []
        if 5 in streams:
            n, = struct.unpack_from("<I", data, streams[5])
            for i in range(n):
                start, size, memory = struct.unpack_from("<QII", data, streams[5] + 4 + 16 * i)
                self.memory.append((start, data[memory:memory + size]))
        self.stack = (0, b"")
        at = streams[3]
        n, = struct.unpack_from("<I", data, at)
        for i in range(n):
            thread, = struct.unpack_from("<I", data, at + 4 + 48 * i)
            start, size, memory = struct.unpack_from("<QII", data, at + 4 + 48 * i + 24)
            if thread == self.thread:
                self.stack = (start, data[memory:memory + size])

    def module_at(self, address):
        for base, size, name, _, _ in self.modules:
            if base <= address < base + size:
                return base, file_name(name)
        return None, None


class Program:
    """A program file of the symbols: where it wants to be loaded, its size, build id and code."""

    def __init__(self, path):
        self.path = path
        data = open(path, "rb").read()
        self.data = data
        try:
            pe, = struct.unpack_from("<I", data, 0x3C)
            if data[pe:pe + 4] != b"PE\0\0":
                raise struct.error
            sections, = struct.unpack_from("<H", data, pe + 6)
            symbols, symbol_count = struct.unpack_from("<II", data, pe + 12)
            magic, = struct.unpack_from("<H", data, pe + 24)
            wide = magic == 0x20B
            self.image_base = struct.unpack_from("<Q" if wide else "<I", data, pe + 24 + (24 if wide else 28))[0]
            self.stamp, = struct.unpack_from("<I", data, pe + 8)
            alignment, = struct.unpack_from("<I", data, pe + 24 + 32)
            self.full_size, = struct.unpack_from("<I", data, pe + 24 + 56)
            table = pe + 24 + struct.unpack_from("<H", data, pe + 20)[0]
            strings = symbols + 18 * symbol_count
            # The image as loaded once stripped (without the debug sections) and as it is.
            self.image_size = 0
            self.code = []  # (rva, bytes) of each executable section
            self.has_symbols = False
            for i in range(sections):
                raw_name, virtual_size, rva, raw_size, raw_at, _, _, _, _, flags = \
                    struct.unpack_from("<8sIIIIIIHHI", data, table + 40 * i)
                name = raw_name.rstrip(b"\0")
                if name.startswith(b"/") and name[1:].isdigit():
                    at = strings + int(name[1:])
                    name = data[at:data.index(b"\0", at)]
                if name.startswith(b".debug"):
                    self.has_symbols |= name == b".debug_info"
                    continue
                self.image_size = max(self.image_size, -(-(rva + virtual_size) // alignment) * alignment)
                if flags & 0x20000000:
                    self.code.append((rva, data[raw_at:raw_at + min(raw_size, virtual_size)]))
        except (struct.error, ValueError):
            raise Refused("%s of the symbols is not a Windows program" % os.path.basename(path))
        at = data.find(b"RSDS")
        self.build_id = data[at + 4:at + 20].hex() if at >= 0 else None

    def code_differs(self, base, memory):
        """True when code the dump kept of this program, loaded at its own base (not moved by
        relocations), is not this file's."""
        if base != self.image_base:
            return False
        for start, kept in memory:
            for rva, code in self.code:
                at = start - base - rva
                if 0 <= at and at + len(kept) <= len(code) and code[at:at + len(kept)] != kept:
                    return True
        return False

    def code_before(self, rva, n):
        """The n bytes of code right before rva, or None when that is not all code."""
        for start, code in self.code:
            if start + n <= rva <= start + len(code):
                return code[rva - start - n:rva - start]
        return None

    def follows_call(self, rva, win64):
        """True when rva comes right after a call instruction: a return address."""
        before = self.code_before(rva, 8)
        if before is None:
            return False
        if before[-5] == 0xE8:  # call rel32
            return True
        # call r/m (FF /2): register, memory through a register, with or without SIB and
        # displacement, absolute (RIP-relative on 64-bit); on 64-bit with an optional REX prefix.
        for length in range(2, 8):
            at = 8 - length
            if before[at] != 0xFF:
                continue
            modrm = before[at + 1]
            mod, reg, rm = modrm >> 6, (modrm >> 3) & 7, modrm & 7
            if reg != 2:
                continue
            size = 2
            if mod != 3:
                if rm == 4:
                    size += 1
                    if mod == 0 and before[at + 2] & 7 == 5:
                        size += 4
                size += {0: 4 if rm == 5 else 0, 1: 1, 2: 4}[mod]
            if size == length:
                return True
            if win64 and size == length - 1 and at > 0 and 0x40 <= before[at - 1] <= 0x4F:
                return True
        return False


def unpack_symbols(path, work):
    """The folder of the symbols: PATH itself, or where its zip is unpacked."""
    if os.path.isfile(path):
        try:
            with zipfile.ZipFile(path) as z:
                z.extractall(work)
        except (zipfile.BadZipFile, OSError):
            raise Refused("%s is not a symbols zip (not a zip file, or a damaged one)" % path)
        for folder, _, files in sorted(os.walk(work)):
            if any(f.lower() == "skelvane.exe" for f in files):
                return folder
        raise Refused("%s holds no Skelvane.exe: not the symbols zip of a release" % path)
    if not os.path.isdir(path):
        raise Refused("no symbols at %s (build the programs of the dump's architecture first)" % path)
    if not any(f.lower() == "skelvane.exe" for f in os.listdir(path)):
        raise Refused("%s holds no Skelvane.exe: not the symbols of a release or build" % path)
    return path


def matched_programs(dump, folder, given):
    """The dump's modules that the symbols hold, as (base, Program). A program of another build than
    the dump's is refused: its symbols would name the wrong functions."""
    files = {f.lower(): os.path.join(folder, f) for f in os.listdir(folder)}
    matched, wrong = [], []
    for base, size, name, build_id, stamp in dump.modules:
        path = files.get(file_name(name).lower())
        if not path:
            continue
        program = Program(path)
        path = "%s in %s" % (os.path.basename(path), given)
        if build_id is not None and build_id != program.build_id:
            wrong.append("%s has build id %s, the dump's has %s" % (path, program.build_id or "none", build_id))
        elif build_id is None and size not in (program.image_size, program.full_size):
            wrong.append("%s is %#x bytes when loaded, the dump's is %#x" % (path, program.image_size, size))
        elif stamp != program.stamp:
            wrong.append("%s was linked at time stamp %#x, the dump's at %#x" % (path, program.stamp, stamp))
        elif program.code_differs(base, [(a, m) for a, m in dump.memory if base <= a < base + size]):
            wrong.append("%s holds other code than the dump's" % path)
        else:
            matched.append((base, program))
    if wrong:
        raise Refused("symbols of another build refused: %s (give the symbols of the release the player has)"
                      % "; ".join(wrong))
    if not any(os.path.basename(p.path).lower() == "skelvane.exe" for _, p in matched):
        raise Refused("the dump has no Skelvane.exe among its modules: not a crash report of the launcher")
    return matched


def scan(dump, programs):
    """Return addresses into the given programs on the crashing thread's stack, from its stack
    pointer up, as (stack address, return address)."""
    start, memory = dump.stack
    word = 8 if dump.win64 else 4
    at = dump.sp - start if start <= dump.sp < start + len(memory) else 0
    at -= at % word
    found = []
    for offset in range(at, len(memory) - word + 1, word):
        value, = struct.unpack_from("<Q" if dump.win64 else "<I", memory, offset)
        for base, program in programs:
            if base < value < base + program.image_size and program.follows_call(value - base, dump.win64):
                found.append((start + offset, value))
    return found


def run_debugger(dump_path, programs, lookups, work):
    """The walked stack and, for each address of LOOKUPS, the function, file and line at it."""
    lldb = shutil.which("lldb-14") or shutil.which("lldb")
    if not lldb:
        raise Refused("lldb is not installed (tools/setup.sh installs it)")
    commands = os.path.join(work, "commands")
    with open(commands, "w") as f:
        f.write('target create --core "%s"\n' % dump_path)
        for base, program in programs:
            f.write('target modules add "%s"\n' % program.path)
            f.write('target modules load --file "%s" --slide %d\n' % (program.path, base - program.image_base))
        f.write("thread backtrace\n")
        for address in lookups:
            f.write("image lookup -a %#x\n" % address)
    try:
        run = subprocess.run([lldb, "--batch", "-s", commands], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                             text=True, errors="replace", timeout=300)
    except subprocess.TimeoutExpired:
        raise Refused("the debugger did not finish reading the dump in 300 s")
    # Each command's output follows its echo; a lookup that finds nothing fails the exit code, so
    # the walk's output is what tells whether the debugger read the dump.
    parts = re.split(r"^\(lldb\) (.*)\n", run.stdout, flags=re.M)
    outputs = dict(zip(parts[1::2], parts[2::2]))
    walk = outputs.get("thread backtrace", "")
    if run.returncode < 0 or "* thread #" not in walk:
        errors = [line for line in (run.stdout + run.stderr).splitlines() if line.startswith("error:")]
        raise Refused("the debugger could not read the stack of %s: %s" % (
            dump_path, errors[0] if errors else "lldb ended with code %d" % run.returncode))
    names = {}
    for address in lookups:
        summary = re.search(r"Summary: (.*)", outputs.get("image lookup -a %#x" % address, ""))
        names[address] = summary.group(1).strip() if summary else None
    return walk.rstrip("\n"), names


def report(dump_path, symbols_path, always_scan):
    dump = Dump(dump_path)
    print("Exception: 0x%08X %s" % (dump.code, EXCEPTIONS.get(dump.code, "unknown exception")))
    base, module = dump.module_at(dump.address)
    print("Faulting module and address: %s" % ("%s+%#x" % (module, dump.address - base) if module
                                                 else "address %#x" % dump.address))
    print("Crashing thread: %d" % dump.thread)
    sys.stdout.flush()
    with tempfile.TemporaryDirectory(prefix="skelvane-crash.") as work:
        symbols_path = symbols_path or os.path.join(ROOT, "dist", dump.arch + "-symbols")
        programs = matched_programs(dump, unpack_symbols(symbols_path, work), symbols_path)
        # The launcher's frames are what the studio needs and what its symbols name.
        launcher = [(b, p) for b, p in programs if os.path.basename(p.path).lower() == "skelvane.exe"]
        found = scan(dump, launcher if launcher[0][1].has_symbols else [])
        # Symbols name the call, which is the byte before the return address.
        walk, names = run_debugger(dump_path, programs, sorted({a - 1 for _, a in found}), work)
    print("Stack of the crashing thread:")
    print(walk)
    frames = [(int(n), m) for n, m in re.findall(r"frame #(\d+): 0x[0-9a-f]+ ([^`\s]+)", walk)]
    if any(n > 0 and m.lower() == "skelvane.exe" for n, m in frames):
        if not always_scan:
            return
        print("Return addresses into Skelvane.exe found by scanning the stack up from 0x%x:" % dump.sp)
    else:
        # The walk lost its way before the launcher's frames: they are taken from the stack itself.
        print("The walk stops short of the launcher's frames; return addresses into Skelvane.exe found by "
              "scanning the stack up from 0x%x (an old one may be among them):" % dump.sp)
    # A recursion leaves its return addresses many times over: each is shown once, where it is found
    # first, with how many times more it is found above.
    runs, seen = [], {}
    for place, address in found:
        if address in seen:
            seen[address][2] += 1
        else:
            seen[address] = [place, address, 1]
            runs.append(seen[address])
    number = max([n for n, _ in frames], default=0)
    for place, address, count in runs[:SCANNED_FRAMES_SHOWN]:
        number += 1
        name = names.get(address - 1)
        name = re.sub(r" \+ \d+", "", name) if name else dump.module_at(address)[1]
        print("    frame #%d: 0x%0*x %s [found by scanning, at 0x%x%s]" % (
            number, 16 if dump.win64 else 8, address, name, place,
            ", and %d more time%s above" % (count - 1, "s" if count > 2 else "") if count > 1 else ""))
    if not runs:
        print("    none")
    elif len(runs) > SCANNED_FRAMES_SHOWN:
        print("    ... and %d more" % (len(runs) - SCANNED_FRAMES_SHOWN))


def main():
    args = sys.argv[1:]
    always_scan = args[:1] == ["--scan"]
    args = args[always_scan:]
    if not 1 <= len(args) <= 2:
        print(USAGE, file=sys.stderr)
        return 2
    try:
        if not os.path.isfile(args[0]):
            raise Refused("no dump at %s" % args[0])
        report(os.path.realpath(args[0]), args[1] if len(args) > 1 else None, always_scan)
    except Refused as e:
        sys.stdout.flush()
        print("read_crash: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
