#!/usr/bin/env python3
"""Writes a zip that is the same byte for byte wherever and whenever it is made.

    reproducible_zip.py [--source-dir DIR] OUT.zip FOLDER_IN_ZIP SOURCE_FOLDER NAME...

The files NAME... of SOURCE_FOLDER go into one folder of the zip, in sorted
order, each with mode 0644 and the same time: SOURCE_DATE_EPOCH when it is set,
else the time of the last commit of DIR, else 1980-01-01 (the earliest a zip
can hold). Nothing of the machine, the user or the build folder gets in.
"""
import argparse
import os
import subprocess
import time
import zipfile

ZIP_EPOCH = 315532800  # 1980-01-01 00:00:00 UTC


def source_time(source_dir):
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    if source_dir:
        try:
            out = subprocess.run(["git", "-C", source_dir, "log", "-1", "--format=%ct"],
                                 capture_output=True, text=True, check=True).stdout.strip()
            return int(out)
        except (OSError, subprocess.CalledProcessError, ValueError):
            pass
    return ZIP_EPOCH


def entry(name, stamp, mode):
    info = zipfile.ZipInfo(name, date_time=time.gmtime(max(stamp, ZIP_EPOCH))[:6])
    info.create_system = 3  # Unix, so that the mode below is read
    info.external_attr = mode << 16
    return info


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source-dir")
    parser.add_argument("out")
    parser.add_argument("folder")
    parser.add_argument("source")
    parser.add_argument("names", nargs="+")
    args = parser.parse_args()
    stamp = source_time(args.source_dir)
    partial = args.out + ".part"
    with zipfile.ZipFile(partial, "w") as archive:
        folder = entry(args.folder + "/", stamp, 0o40755)
        folder.external_attr |= 0x10  # MS-DOS directory flag
        archive.writestr(folder, b"")
        for name in sorted(args.names):
            with open(os.path.join(args.source, name), "rb") as f:
                data = f.read()
            archive.writestr(entry(f"{args.folder}/{name}", stamp, 0o100644), data,
                             compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)
    os.replace(partial, args.out)


if __name__ == "__main__":
    main()
