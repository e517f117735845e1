#!/usr/bin/env python3
"""Packs the Info-ZIP archives of the archive tests on the build machine.

Usage: make_infozip_archives.py ZIP_TOOL OUT_DIR

The test programs may run where Info-ZIP's zip cannot (a Windows build under
Wine), so the archives are made once at build time. The file contents must
stay those of tests/skinui/zip_fixture.cpp (WriteSkinFiles, BigText): the tests
compare what they read with what they write themselves.
"""
import os
import shutil
import subprocess
import sys
import tempfile


def big_text():
    parts, size, i = [], 0, 0
    while size < 200000:
        line = "line %d of skin\n" % (i % 97)
        parts.append(line)
        size += len(line)
        i += 1
    return "".join(parts).encode()


def skin_files():
    return {
        "dlg_main.xml": b'<Window size="650,430"><Label text="hi"/></Window>',
        "img/bk.png": bytes((i * 7919) & 0xFF for i in range(3000)),
        "empty.txt": b"",
        "big.txt": big_text(),
    }


SKIN_NAMES = ["dlg_main.xml", "img/bk.png", "empty.txt", "big.txt"]
N254 = "n" * 254

# archive name -> (files to write, names to pack, extra zip options)
ARCHIVES = {
    "skin_stored.zip": (skin_files(), SKIN_NAMES, ["-0"]),
    "skin_deflated.zip": (skin_files(), SKIN_NAMES, ["-9"]),
    "dlg_main.zip": (skin_files(), ["dlg_main.xml"], ["-9"]),
    "big.zip": (skin_files(), ["big.txt"], ["-9"]),
    "other_stored.zip": ({"other.xml": b"<Other/>"}, ["other.xml"], ["-0"]),
    "long_names.zip": ({"d/" + N254: b"x", "d/" + N254[1:]: b"y"},
                       ["d/" + N254, "d/" + N254[1:]], ["-0"]),
    "encrypted.zip": ({"secret.xml": b"<Window/>"}, ["secret.xml"], ["-9", "-P", "pass"]),
}


def pack(zip_tool, out_dir, archive, files, names, options):
    with tempfile.TemporaryDirectory() as work:
        for name, data in files.items():
            path = os.path.join(work, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
        subprocess.run([zip_tool, "-q", "-X"] + options + ["out.zip"] + names, cwd=work, check=True)
        shutil.move(os.path.join(work, "out.zip"), os.path.join(out_dir, archive))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    zip_tool, out_dir = sys.argv[1], sys.argv[2]
    os.makedirs(out_dir, exist_ok=True)
    for archive, (files, names, options) in ARCHIVES.items():
        pack(zip_tool, out_dir, archive, files, names, options)


if __name__ == "__main__":
    main()
