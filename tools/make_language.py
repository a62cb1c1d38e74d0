#!/usr/bin/env python3
"""Writes a language file the way the launcher reads it: UTF-16 LE, byte-order mark, CR LF.

Usage: make_language.py SOURCE-UTF8.txt OUTPUT.txt
"""
import sys

if len(sys.argv) != 3:
    sys.exit(__doc__)
lines = open(sys.argv[1], encoding="utf-8").read().splitlines()
with open(sys.argv[2], "wb") as out:
    out.write(b"\xff\xfe" + "\r\n".join(lines).encode("utf-16-le") + "\r\n".encode("utf-16-le"))
