#!/usr/bin/env python3
"""Writes the release zip so that the same inputs always give the same bytes.

Usage: dist_zip.py ZIP VERSION NAME=PATH...

Entries go in the order given, each dated SOURCE_DATE_EPOCH (or the time of the
source's last commit) in UTC, deflated, marked as made on Unix with the file's
Windows attributes (archive) in the low byte and its Unix mode (0644) in the high
half of the external attributes; names that are not ASCII are flagged as UTF-8.
Windows Explorer and 7-Zip read the flag; Info-ZIP unzip ignores it for entries
made on MS-DOS (it converts their names from an old code page) but takes the
names of entries made on Unix as they stand. An entry whose name ends
in ".txt" is a text for Notepad: "@VERSION@" in it becomes VERSION, its lines
end with CR LF and a UTF-8 byte-order mark comes first. SHA256SUMS, in the
format `sha256sum -c` reads, is written beside the zip.
"""

import hashlib
import os
import subprocess
import sys
import time
import zipfile

ZIP_EPOCH = 315532800  # 1980-01-01, the earliest date a zip entry can hold


def source_date_epoch():
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    here = os.path.dirname(os.path.abspath(__file__))
    out = subprocess.check_output(["git", "-C", here, "log", "-1", "--format=%ct"])
    return int(out.strip())


def notepad_text(data, version):
    text = data.decode("utf-8").replace("@VERSION@", version)
    text = text.replace("\r\n", "\n").replace("\n", "\r\n")
    return b"\xef\xbb\xbf" + text.encode("utf-8")


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    zip_path, version, entries = argv[0], argv[1], argv[2:]
    date = time.gmtime(max(source_date_epoch(), ZIP_EPOCH))[:6]
    os.makedirs(os.path.dirname(os.path.abspath(zip_path)), exist_ok=True)
    partial = zip_path + ".part"
    with zipfile.ZipFile(partial, "w") as z:
        for entry in entries:
            name, path = entry.split("=", 1)
            with open(path, "rb") as f:
                data = f.read()
            if name.endswith(".txt"):
                data = notepad_text(data, version)
            info = zipfile.ZipInfo(name, date_time=date)
            info.create_system = 3  # Unix
            info.external_attr = (0o100644 << 16) | 0x20  # regular file rw-r--r--; archive
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data, compresslevel=9)
    os.replace(partial, zip_path)

    with open(zip_path, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    sums = os.path.join(os.path.dirname(os.path.abspath(zip_path)), "SHA256SUMS")
    with open(sums, "w", newline="\n") as f:
        f.write(f"{digest}  {os.path.basename(zip_path)}\n")


if __name__ == "__main__":
    main(sys.argv[1:])
