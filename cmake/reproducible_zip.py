#!/usr/bin/env python3
"""Writes a zip that is the same byte for byte wherever and whenever it is made.

    reproducible_zip.py --source-dir DIR OUT.zip FOLDER_IN_ZIP SOURCE_FOLDER NAME...

The files NAME... of SOURCE_FOLDER go into one folder of the zip, in sorted
order, each with mode 0644 and the same time: the release's archive time for the
source in DIR (source_date_epoch.sh beside this script; it fails without one).
Nothing of the machine, the user or the build folder gets in.
"""
import argparse
import os
import subprocess
import sys
import time
import zipfile

ZIP_EPOCH = 315532800  # 1980-01-01 00:00:00 UTC, the earliest a zip can hold


def source_time(source_dir):
    rule = os.path.join(os.path.dirname(os.path.abspath(__file__)), "source_date_epoch.sh")
    found = subprocess.run(["sh", rule, source_dir], stdout=subprocess.PIPE, text=True)
    if found.returncode != 0:  # the rule has said why on stderr
        sys.exit(1)
    return int(found.stdout)


def entry(name, stamp, mode):
    info = zipfile.ZipInfo(name, date_time=time.gmtime(max(stamp, ZIP_EPOCH))[:6])
    info.create_system = 3  # Unix, so that the mode below is read
    info.external_attr = mode << 16
    return info


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source-dir", required=True)
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
