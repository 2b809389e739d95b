#!/usr/bin/env python3
"""Writes the saver's artwork in the exact formats its resources need.

  images.py bmp IN.pbm OUT.bmp WIDTH HEIGHT   1 bit per pixel Windows bitmap, black on white
  images.py blank OUT.bmp WIDTH HEIGHT         an empty (white) bitmap with a thin frame
  images.py icon OUT.ico                      the fern icon: 32x32 and 16x16, 16 colours
  images.py png OUT.png SIZE                  the same fern, SIZE x SIZE on black, for the web page

The PBM input (as ImageMagick writes it, P1 or P4) is cropped or padded around its centre
to WIDTH x HEIGHT so that the resource keeps its fixed pixel size whatever the font does.
Only the standard library is used, so redrawing needs nothing beyond python3.
"""
import math
import struct
import sys
import zlib


def read_pbm(path):
    data = open(path, "rb").read()
    pos = 0

    def next_token():
        nonlocal pos
        while True:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                while data[pos:pos + 1] not in (b"\n", b""):
                    pos += 1
                continue
            break
        start = pos
        while pos < len(data) and not data[pos:pos + 1].isspace():
            pos += 1
        return data[start:pos]

    magic = next_token()
    width = int(next_token())
    height = int(next_token())
    rows = []
    if magic == b"P4":
        pos += 1  # the single whitespace after the header
        stride = (width + 7) // 8
        for y in range(height):
            line = data[pos + y * stride:pos + (y + 1) * stride]
            rows.append([(line[x // 8] >> (7 - x % 8)) & 1 for x in range(width)])
    elif magic == b"P1":
        bits = []
        while len(bits) < width * height:
            while data[pos:pos + 1].isspace():
                pos += 1
            bits.append(int(data[pos:pos + 1]))
            pos += 1
        rows = [bits[y * width:(y + 1) * width] for y in range(height)]
    else:
        raise SystemExit(f"{path}: not a PBM file")
    return rows  # 1 = black, as PBM defines it


def fit(rows, width, height):
    """Crops or pads (white) around the centre to exactly width x height."""
    src_h = len(rows)
    src_w = len(rows[0]) if rows else 0
    off_x = (src_w - width) // 2
    off_y = (src_h - height) // 2
    out = []
    for y in range(height):
        sy = y + off_y
        line = []
        for x in range(width):
            sx = x + off_x
            line.append(rows[sy][sx] if 0 <= sy < src_h and 0 <= sx < src_w else 0)
        out.append(line)
    return out


def write_bmp1(path, rows):
    """1 bpp bottom-up DIB; palette 0 = black, 1 = white."""
    height = len(rows)
    width = len(rows[0])
    stride = ((width + 31) // 32) * 4
    pixels = bytearray()
    for line in reversed(rows):
        packed = bytearray(stride)
        for x, black in enumerate(line):
            if not black:
                packed[x // 8] |= 0x80 >> (x % 8)
        pixels += packed
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 1, 0, len(pixels), 2835, 2835, 2, 2)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + palette + pixels)


# The 16-colour VGA palette (blue, green, red, reserved order is applied on writing).
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
DARK_GREEN, GREEN, BLACK = 2, 10, 0


def fern_icon(size, scale=4, weight=1.0):
    """A small fern: a curved stem with leaflets that shrink towards the tip.

    Returns rows of palette indices, None for transparent pixels. `scale` is the
    oversampling; `weight` thickens the strokes for sizes above the icon's own.
    """
    # draw at a larger size, then keep a pixel when enough of it is covered
    big = size * scale
    cover = [[0] * big for _ in range(big)]

    def line(x0, y0, x1, y1, thick):
        steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
        r = thick / 2.0
        for i in range(steps + 1):
            t = i / steps
            cx = x0 + (x1 - x0) * t
            cy = y0 + (y1 - y0) * t
            for yy in range(int(cy - r) - 1, int(cy + r) + 2):
                for xx in range(int(cx - r) - 1, int(cx + r) + 2):
                    if 0 <= xx < big and 0 <= yy < big and (xx + 0.5 - cx) ** 2 + (yy + 0.5 - cy) ** 2 <= r * r:
                        cover[yy][xx] = 1

    # A frond: a stem that bends to the right, with pairs of leaflets that shrink
    # towards the tip; the stem is drawn dark, the leaflets light.
    leaves = [[0] * big for _ in range(big)]

    def frond(x, y, angle, length, pairs):
        nonlocal cover
        piece = length / pairs
        for i in range(pairs):
            nx = x + math.sin(angle) * piece
            ny = y - math.cos(angle) * piece
            line(x, y, nx, ny, scale * 1.3 * weight)
            if i >= 1:
                leaf = length * 0.36 * (1 - (i - 1) / pairs)
                stem_cover = cover
                cover = leaves
                for side in (-1, 1):
                    a = angle + side * 1.15
                    line(nx, ny, nx + math.sin(a) * leaf, ny - math.cos(a) * leaf, scale * 1.5 * weight)
                cover = stem_cover
            x, y = nx, ny
            angle += 0.07

    frond(big * 0.40, big * 0.99, -0.22, big * 0.96, 9 if size >= 32 else 6)
    for y in range(big):
        for x in range(big):
            if leaves[y][x] and not cover[y][x]:
                cover[y][x] = 2
    rows = []
    for y in range(size):
        line_px = []
        for x in range(size):
            cells = [cover[y * scale + j][x * scale + i] for j in range(scale) for i in range(scale)]
            stem_part = cells.count(1)
            leaf_part = cells.count(2)
            if stem_part + leaf_part < scale * scale * 0.35:
                line_px.append(None)
            elif stem_part >= leaf_part:
                line_px.append(DARK_GREEN)
            else:
                line_px.append(GREEN)
        rows.append(line_px)
    return rows


def icon_image(rows):
    size = len(rows)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for line in reversed(rows):
        packed = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x, idx in enumerate(line):
            if idx is None:
                bits[x // 8] |= 0x80 >> (x % 8)
                idx = BLACK
            packed[x // 2] |= idx << (4 if x % 2 == 0 else 0)
        xor += packed
        mask += bits
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in VGA)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    return info + palette + xor + mask


def write_icon(path):
    images = [icon_image(fern_icon(32)), icon_image(fern_icon(16))]
    sizes = [32, 16]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(img), offset)
        offset += len(img)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


def write_png(path, size):
    """The fern of the icon at SIZE x SIZE, drawn afresh at that size (not scaled up),
    on black with a margin, so that a launcher's round or rounded mask keeps it whole."""
    inner = size * 3 // 4
    rows = fern_icon(inner, scale=2, weight=inner / 32.0)
    margin = (size - inner) // 2
    used = [BLACK, DARK_GREEN, GREEN]
    raw = bytearray()
    for y in range(size):
        raw.append(0)  # filter: none
        line = rows[y - margin] if margin <= y < margin + inner else []
        for x in range(size):
            idx = line[x - margin] if line and margin <= x < margin + inner else None
            raw.append(used.index(BLACK if idx is None else idx))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    palette = b"".join(bytes(VGA[i]) for i in used)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 3, 0, 0, 0)) +
                chunk(b"PLTE", palette) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) +
                chunk(b"IEND", b""))


def main(argv):
    if len(argv) == 6 and argv[1] == "bmp":
        write_bmp1(argv[3], fit(read_pbm(argv[2]), int(argv[4]), int(argv[5])))
    elif len(argv) == 5 and argv[1] == "blank":
        w, h = int(argv[3]), int(argv[4])
        rows = [[1 if x in (0, w - 1) or y in (0, h - 1) else 0 for x in range(w)] for y in range(h)]
        write_bmp1(argv[2], rows)
    elif len(argv) == 3 and argv[1] == "icon":
        write_icon(argv[2])
    elif len(argv) == 4 and argv[1] == "png":
        write_png(argv[2], int(argv[3]))
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
