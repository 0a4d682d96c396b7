#!/usr/bin/env python3
"""Writes the program's icon as a PNG for the Linux desktop: the 32 x 32
image of an .ico with an 8 bpp palette (as tools/make_resources.py makes
it), at its own size or halved by averaging 2 x 2 pixels.

Usage: icon_png.py main.ico OUT.png [32|16]
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


def encode_png(rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    size = len(rows)
    raw = b"".join(b"\0" + bytes(c for pixel in row for c in pixel) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main(argv):
    if len(argv) not in (3, 4) or (len(argv) == 4 and argv[3] not in ("16", "32")):
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], "rb") as f:
        rows = read_ico(f.read())
    if len(argv) == 4 and int(argv[3]) * 2 == len(rows):
        rows = halve(rows)
    with open(argv[2], "wb") as f:
        f.write(encode_png(rows))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
