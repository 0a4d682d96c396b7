#!/usr/bin/env python3
"""Writes the program's icon as a PNG for the Linux desktop and the web
page: the 32 x 32 image of an .ico with an 8 bpp palette (as
tools/make_resources.py makes it), at its own size, halved by averaging 2 x 2
pixels, or enlarged to a whole multiple with square pixels (the web page's
192 and 512).

Usage: icon_png.py main.ico OUT.png [SIZE]   (SIZE: 16, or a multiple of 32)
"""

import struct
import sys
import zlib


def read_ico(data):
    """Rows (top first) of (r, g, b) of the first image of an 8 bpp .ico."""
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    if kind != 1 or count < 1:
        raise ValueError("not an icon file")
    _, _, _, _, _, _, size, offset = struct.unpack_from("<BBBBHHII", data, 6)
    header, width, height2, _, bits = struct.unpack_from("<IiiHH", data, offset)
    if header != 40 or bits != 8 or width <= 0 or height2 != 2 * width:
        raise ValueError("not a square 8 bpp icon image")
    table = offset + header
    palette = [struct.unpack_from("<BBBx", data, table + 4 * i)[::-1] for i in range(256)]
    pixels = table + 4 * 256
    stride = (width + 3) & ~3
    rows = [[palette[data[pixels + y * stride + x]] for x in range(width)]
            for y in range(width)]
    return rows[::-1]  # DIBs are bottom-up


def halve(rows):
    return [[tuple((rows[2 * y][2 * x][c] + rows[2 * y][2 * x + 1][c] + rows[2 * y + 1][2 * x][c] +
                    rows[2 * y + 1][2 * x + 1][c] + 2) // 4 for c in range(3))
             for x in range(len(rows) // 2)] for y in range(len(rows) // 2)]


def enlarge(rows, factor):
    return [[pixel for pixel in row for _ in range(factor)] for row in rows for _ in range(factor)]


def encode_png(rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    size = len(rows)
    raw = b"".join(b"\0" + bytes(c for pixel in row for c in pixel) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main(argv):
    size = argv[3] if len(argv) == 4 else "32"
    if len(argv) not in (3, 4) or not size.isdigit() or not (size == "16" or
                                                             int(size) % 32 == 0 < int(size) <= 1024):
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], "rb") as f:
        rows = read_ico(f.read())
    if int(size) * 2 == len(rows):
        rows = halve(rows)
    elif int(size) > len(rows):
        rows = enlarge(rows, int(size) // len(rows))
    with open(argv[2], "wb") as f:
        f.write(encode_png(rows))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
