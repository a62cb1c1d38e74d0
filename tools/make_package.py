#!/usr/bin/env python3
"""Packs a game folder into a zip that is the same bytes whenever the same files are packed.

Entries are sorted, sit in one folder named after the zip, and carry fixed attributes and one fixed
time: SOURCE_DATE_EPOCH when set (the release script sets the commit's time), otherwise the earliest
time a zip can hold. Writes ZIP and ZIP.sha256 (the line sha256sum -c reads).

Usage: make_package.py ZIP FILE...
"""
import hashlib
import os
import sys
import time
import zipfile

ZIP_EPOCH = (1980, 1, 1, 0, 0, 0)


def entry_time():
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if not epoch:
        return ZIP_EPOCH
    if not (epoch.isascii() and epoch.isdigit()):
        sys.exit("make_package.py: SOURCE_DATE_EPOCH is %r; it must be a whole number of seconds since 1970" % epoch)
    return max(ZIP_EPOCH, time.gmtime(int(epoch))[:6])


def entry(name, date, directory=False):
    info = zipfile.ZipInfo(name, date)
    info.create_system = 0  # MS-DOS attributes: what a player's unpacker expects
    info.external_attr = 0x10 if directory else 0x20
    info.compress_type = zipfile.ZIP_STORED if directory else zipfile.ZIP_DEFLATED
    return info


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    zip_path, files = sys.argv[1], sys.argv[2:]
    if not os.path.isdir(os.path.dirname(os.path.abspath(zip_path))):
        sys.exit("make_package.py: the folder of %s does not exist" % zip_path)
    folder = os.path.splitext(os.path.basename(zip_path))[0]
    date = entry_time()
    by_name = {os.path.basename(f): f for f in files}
    if len(by_name) != len(files):
        sys.exit("make_package.py: two files of the same name")
    partial = zip_path + ".partial"
    with zipfile.ZipFile(partial, "w") as package:
        package.writestr(entry(folder + "/", date, directory=True), b"")
        for name in sorted(by_name):
            with open(by_name[name], "rb") as f:
                package.writestr(entry(f"{folder}/{name}", date), f.read(), compresslevel=9)
    os.replace(partial, zip_path)
    with open(zip_path, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    with open(zip_path + ".sha256", "w", newline="\n") as f:
        f.write(f"{digest}  {os.path.basename(zip_path)}\n")


if __name__ == "__main__":
    main()
