#!/usr/bin/env python3
"""Where two builds of a release file part: the first differing byte, and, inside a zip,
an ar archive (.deb) or a compressed tar in it, the member and the byte in that member.

    first_difference.py FILE_A FILE_B
"""
import io
import lzma
import gzip
import sys
import tarfile
import zipfile


def first_offset(a, b):
    for i, (x, y) in enumerate(zip(a, b)):
        if x != y:
            return i
    return min(len(a), len(b)) if len(a) != len(b) else None


# Each member as (name, first byte, byte after it, contents), the bytes counted in the
# archive and the member's own header included.
def ar_members(data):
    members, pos = [], 8
    while pos + 60 <= len(data):
        name = data[pos:pos + 16].decode().strip().rstrip("/")
        size = int(data[pos + 48:pos + 58])
        members.append((name, pos, pos + 60 + size, data[pos + 60:pos + 60 + size]))
        pos += 60 + size + (size & 1)
    return members


def zip_members(data):
    with zipfile.ZipFile(io.BytesIO(data)) as z:
        infos = sorted(z.infolist(), key=lambda i: i.header_offset)
        ends = [i.header_offset for i in infos[1:]] + [z.start_dir]
        return [(i.filename, i.header_offset, end, z.read(i)) for i, end in zip(infos, ends)]


def tar_members(data):
    with tarfile.open(fileobj=io.BytesIO(data)) as t:
        return [(m.name, m.offset, m.offset_data + m.size,
                 t.extractfile(m).read() if m.isfile() else b"") for m in t]


def unpacked(name, data):
    if name.endswith(".xz"):
        return name[:-3], lzma.decompress(data)
    if name.endswith(".gz"):
        return name[:-3], gzip.decompress(data)
    return name, data


def members(name, data):
    if data.startswith(b"!<arch>\n"):
        return ar_members(data)
    if data.startswith(b"PK\x03\x04"):
        return zip_members(data)
    if name.endswith(".tar"):
        return tar_members(data)
    return None


def describe(name, a, b):
    """Where the first difference lies, down through the archives it is in, as text."""
    offset = first_offset(a, b)
    where = f"{name} at byte {offset}"
    try:
        parts_a, parts_b = members(name, a), members(name, b)
    except Exception:  # not an archive after all: the byte offset is the answer
        return where
    if not parts_a or not parts_b:
        return where
    for member, begin, end, data_a in parts_a:
        if begin <= offset < end:
            data_b = {m[0]: m[3] for m in parts_b}.get(member)
            if data_b is None:
                return f"{where}, in member {member}, which the other file lacks"
            if data_a == data_b:
                return f"{where}, in the header of member {member}"
            inner, inner_a = unpacked(member, data_a)
            return f"{where}, in member " + describe(inner, inner_a, unpacked(member, data_b)[1])
    return f"{where}, outside the members (the archive's index)"


def main():
    with open(sys.argv[1], "rb") as f:
        a = f.read()
    with open(sys.argv[2], "rb") as f:
        b = f.read()
    if a == b:
        print("identical")
        return 0
    print(describe(sys.argv[1].rsplit("/", 1)[-1], a, b))
    return 1


if __name__ == "__main__":
    sys.exit(main())
