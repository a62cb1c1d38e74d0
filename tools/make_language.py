#!/usr/bin/env python3
"""Writes a language file the way the launcher reads it: UTF-16 LE, byte-order mark, CR LF.

Usage: make_language.py SOURCE-UTF8.txt OUTPUT.txt
"""
import os
import sys


def launcher_form(source):
    """The bytes of the game folder's file made from the bytes of a source file in data/ (UTF-8).
    Raises UnicodeDecodeError for a source that is not UTF-8. The translators' checker reads the
    sources through this too, so it sees what the build makes."""
    # An editor's UTF-8 mark would otherwise end up in the first line. Lines end at LF (with or
    # without CR) only: other Unicode line separators are text.
    text = source.decode("utf-8-sig")
    if text.endswith("\n"):
        text = text[:-1]
    lines = [line[:-1] if line.endswith("\r") else line for line in text.split("\n")]
    return b"\xff\xfe" + "\r\n".join(lines).encode("utf-16-le") + "\r\n".encode("utf-16-le")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with open(sys.argv[1], "rb") as f:
        data = launcher_form(f.read())
    os.makedirs(os.path.dirname(os.path.abspath(sys.argv[2])), exist_ok=True)
    with open(sys.argv[2], "wb") as out:
        out.write(data)
