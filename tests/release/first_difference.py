#!/usr/bin/env python3
"""Where two builds of a release file part: the first differing byte and, inside a zip,
an ar archive (.deb) or a compressed tar in it, the member and the byte in that member.
    first_difference.py FILE_A FILE_B
"""
import gzip, io, lzma, sys, tarfile, zipfile


def members(name, data):
    """Each member as (name, first byte, end byte, contents), its own header included."""
    if data.startswith(b"!<arch>\n"):
        found, pos = [], 8
        while pos + 60 <= len(data):
            size = int(data[pos + 48:pos + 58])
            found.append((data[pos:pos + 16].decode().strip().rstrip("/"), pos, pos + 60 + size,
                          data[pos + 60:pos + 60 + size]))
            pos += 60 + size + (size & 1)
        return found
    if data.startswith(b"PK\x03\x04"):
        with zipfile.ZipFile(io.BytesIO(data)) as z:
            infos = sorted(z.infolist(), key=lambda i: i.header_offset)
            ends = [i.header_offset for i in infos[1:]] + [z.start_dir]
            return [(i.filename, i.header_offset, e, z.read(i)) for i, e in zip(infos, ends)]
    if name.endswith(".tar"):
        with tarfile.open(fileobj=io.BytesIO(data)) as t:
            return [(m.name, m.offset, m.offset_data + m.size,
                     t.extractfile(m).read() if m.isfile() else b"") for m in t]
    return []


def unpacked(name, data):
    for suffix, unpack in ((".xz", lzma.decompress), (".gz", gzip.decompress)):
        if name.endswith(suffix):
            return name[:-len(suffix)], unpack(data)
    return name, data


def describe(name, a, b):
    offset = next((i for i, (x, y) in enumerate(zip(a, b)) if x != y), min(len(a), len(b)))
    where = f"{name} at byte {offset}"
    try:
        parts_a, parts_b = members(name, a), {m[0]: m[3] for m in members(name, b)}
    except Exception:  # not a readable archive: the byte offset is the answer
        return where
    for member, begin, end, data_a in parts_a:
        if begin <= offset < end:
            if member not in parts_b:
                return f"{where}, in member {member}, which the other file lacks"
            if data_a == parts_b[member]:
                return f"{where}, in the header of member {member}"
            inner, inner_a = unpacked(member, data_a)
            return f"{where}, in member " + describe(inner, inner_a, unpacked(member, parts_b[member])[1])
    return where + (", outside the members (the archive's index)" if parts_a else "")


if __name__ == "__main__":
    with open(sys.argv[1], "rb") as f, open(sys.argv[2], "rb") as g:
        a, b = f.read(), g.read()
    print("identical" if a == b else describe(sys.argv[1].rsplit("/", 1)[-1], a, b))
    sys.exit(a != b)
