#!/usr/bin/env python3
"""Writes a language file the way the launcher reads it: UTF-16 LE, byte-order mark, CR LF.

Usage: make_language.py SOURCE-UTF8.txt OUTPUT.txt
"""
import os
import sys

if len(sys.argv) != 3:
    sys.exit(__doc__)
# An editor's UTF-8 mark would otherwise end up in the first line. Lines end at LF (with or without
# CR) only: other Unicode line separators are text.
text = open(sys.argv[1], encoding="utf-8-sig", newline="").read()
if text.endswith("\n"):
    text = text[:-1]
lines = [line[:-1] if line.endswith("\r") else line for line in text.split("\n")]
os.makedirs(os.path.dirname(os.path.abspath(sys.argv[2])), exist_ok=True)
with open(sys.argv[2], "wb") as out:
    out.write(b"\xff\xfe" + "\r\n".join(lines).encode("utf-16-le") + "\r\n".encode("utf-16-le"))
