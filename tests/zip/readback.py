#!/usr/bin/env python3
"""Reads an archive back with Python's zipfile.

Usage: readback.py ARCHIVE [ENTRY=FILE ...]
Checks every entry's CRC (testzip) and, for each ENTRY=FILE pair, that the
entry's content equals the file. Prints one line per entry and exits 1 on
the first mismatch.
"""
import sys
import zipfile


def main():
    archive = sys.argv[1]
    with zipfile.ZipFile(archive) as zf:
        bad = zf.testzip()
        if bad is not None:
            print("bad CRC in", bad)
            return 1
        for info in zf.infolist():
            print(info.filename, info.compress_type, info.file_size, "%08x" % info.CRC)
        for pair in sys.argv[2:]:
            name, path = pair.split("=", 1)
            with open(path, "rb") as f:
                if zf.read(name) != f.read():
                    print("content differs:", name)
                    return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
