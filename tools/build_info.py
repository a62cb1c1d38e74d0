#!/usr/bin/env python3
"""Writes the build-info file beside a package's checksum: the compiler, binutils, CMake, Python and
zlib that made it (Python and zlib are this interpreter's, the one that packs the zip), each with
its Debian package version where dpkg knows the file. A rebuild whose checksum differs compares
these lines first.

Usage: build_info.py OUTPUT COMPILER LINKER CMAKE
"""
import os
import subprocess
import sys
import zlib


def run(*command):
    try:
        return subprocess.run(command, capture_output=True, text=True, check=True).stdout
    except (OSError, subprocess.CalledProcessError):
        return ""


def debian_package(path):
    owner = run("dpkg-query", "-S", os.path.realpath(path)).split(":")[0]
    if not owner:
        return ""
    return "; Debian package %s %s" % (owner, run("dpkg-query", "-W", "-f=${Version}", owner))


def tool(path):
    lines = run(path, "--version").splitlines()
    return (lines[0] if lines else path) + debian_package(path)


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    output, compiler, linker, cmake = sys.argv[1:]
    lines = [
        "compiler: " + tool(compiler),
        "binutils: " + tool(linker),
        "cmake: " + tool(cmake),
        "python: %s (%s)%s" % (sys.version.split()[0], sys.executable, debian_package(sys.executable)),
        "zlib: " + zlib.ZLIB_RUNTIME_VERSION,
    ]
    with open(output, "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
