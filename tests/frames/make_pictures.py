#!/usr/bin/env python3
"""Writes the test pictures for the walls into a folder: picture.png (150 x 40,
colours and a few translucent pixels), and what must give the built-in tile
instead: damaged.png (a PNG whose pixel data does not inflate), empty.png,
huge.png (a header claiming 20000 x 20000) and text.png (text)."""

import os
import struct
import sys
import zlib


def chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data +
            struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


def png(width, height, pixel_data):
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", pixel_data) +
            chunk(b"IEND", b""))


def solid_png(width, height, rgba):
    """A picture of one colour."""
    return png(width, height, zlib.compress((b"\0" + bytes(rgba) * width) * height, 9))


def picture_rows(width, height):
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # no filter
        for x in range(width):
            alpha = 128 if (x // 10 + y // 10) % 7 == 0 else 255
            rows += bytes((255 * x // (width - 1), 40 + 5 * y, (x * y) % 256, alpha))
    return bytes(rows)


def main(folder):
    os.makedirs(folder, exist_ok=True)
    width, height = 150, 40
    files = {
        "picture.png": png(width, height, zlib.compress(picture_rows(width, height), 9)),
        "damaged.png": png(width, height, b"\x00\x01not a zlib stream" * 16),
        "empty.png": b"",
        "huge.png": png(20000, 20000, zlib.compress(b"\0" * 1000)),
        "text.png": b"This is a note, not a picture.\n",
    }
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main(sys.argv[1])
