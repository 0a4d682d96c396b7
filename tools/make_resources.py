#!/usr/bin/env python3
"""Generate the tile bitmap and the program icon.

Writes tunnel.bmp (64 x 64, 24 bpp, bottom-up) and main.ico (one 32 x 32,
8 bpp image) into the given directory, by default the repository's
resources/ folder. The output is a pure function of this script: the noise
comes from a built-in xorshift generator and every computation uses only
exactly rounded IEEE operations (+ - * / sqrt; no pow or other libm call,
no random module), so any Python 3 on any platform writes the same bytes.

Usage: make_resources.py [OUTPUT_DIR]
"""

import math
import os
import struct
import sys

TILE = 16
TEX = 64

# Colours are (R, G, B).
GROUT = (90, 74, 41)
GROUT_ROW0 = (107, 90, 49)  # the bottom grout line is a shade lighter
GROUT_COL0 = (99, 82, 49)
BAND = (130, 116, 74)
FACE_MEAN = (183, 178, 113)
FACE_LO = (156, 148, 90)
FACE_HI = (214, 206, 140)


class XorShift32:
    """Marsaglia's xorshift32; fixed seed so every run draws the same noise."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF or 1

    def next(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x
        return x

    def unit(self):
        """Uniform in [0, 1)."""
        return self.next() / 4294967296.0

    def signed(self):
        """Uniform in [-1, 1)."""
        return self.unit() * 2.0 - 1.0


def smoothstep(t):
    return t * t * (3.0 - 2.0 * t)


class PeriodicNoise:
    """Value noise on a lattice that wraps every `period` pixels, so the
    texture repeats without a seam."""

    def __init__(self, rng, period, cell):
        assert period % cell == 0
        self.cell = cell
        self.n = period // cell
        self.grid = [[rng.unit() for _ in range(self.n)] for _ in range(self.n)]

    def at(self, x, y):
        fx = x / self.cell
        fy = y / self.cell
        ix = int(fx)
        iy = int(fy)
        tx = smoothstep(fx - ix)
        ty = smoothstep(fy - iy)
        n = self.n
        g = self.grid
        x0, x1 = ix % n, (ix + 1) % n
        y0, y1 = iy % n, (iy + 1) % n
        top = g[y0][x0] + (g[y0][x1] - g[y0][x0]) * tx
        bottom = g[y1][x0] + (g[y1][x1] - g[y1][x0]) * tx
        return top + (bottom - top) * ty


def clamp(v, lo, hi):
    return lo if v < lo else hi if v > hi else v


def to_byte(v):
    return clamp(int(v + 0.5), 0, 255)


def tile_kind(row, col):
    """'grout', 'band' or 'face' for a texel in storage order."""
    r, c = row % TILE, col % TILE
    if r == 0 or c == 0:
        return "grout"
    if r == TILE - 1 or c == TILE - 1:
        return "band"
    return "face"


def make_tile_pixels():
    """64 x 64 list of rows (row 0 = bottom) of (R, G, B) tuples."""
    rng = XorShift32(0x52564731)
    octaves = [
        (PeriodicNoise(rng, TEX, 16), 0.45),
        (PeriodicNoise(rng, TEX, 8), 0.30),
        (PeriodicNoise(rng, TEX, 4), 0.17),
        (PeriodicNoise(rng, TEX, 2), 0.08),
    ]
    # A second, broad field tints patches slightly towards yellow or green.
    tint = PeriodicNoise(rng, TEX, 16)

    raw = {}
    for row in range(TEX):
        for col in range(TEX):
            if tile_kind(row, col) == "face":
                v = sum(noise.at(col, row) * w for noise, w in octaves)
                raw[(row, col)] = v
    values = list(raw.values())
    mean = sum(values) / len(values)
    var = sum((v - mean) * (v - mean) for v in values) / len(values)
    # Spread the field so roughly +-2 standard deviations span the face range.
    scale = 0.25 / math.sqrt(var)

    pixels = []
    for row in range(TEX):
        line = []
        for col in range(TEX):
            kind = tile_kind(row, col)
            if kind == "face":
                v = (raw[(row, col)] - mean) * scale  # about -0.5 .. 0.5
                h = (tint.at(col + 7, row + 3) - 0.5) * 8.0
                grain = rng.signed() * 2.0
                rgb = (
                    clamp(FACE_MEAN[0] + v * 58.0 + h + grain, FACE_LO[0], FACE_HI[0]),
                    clamp(FACE_MEAN[1] + v * 58.0 - h * 0.5 + grain, FACE_LO[1], FACE_HI[1]),
                    clamp(FACE_MEAN[2] + v * 50.0 + grain, FACE_LO[2], FACE_HI[2]),
                )
            else:
                if kind == "grout":
                    if row == 0:
                        base = GROUT_ROW0
                    elif col == 0:
                        base = GROUT_COL0
                    else:
                        base = GROUT
                    spread = 3.0
                else:
                    base = BAND
                    spread = 4.0
                d = rng.signed() * spread
                rgb = tuple(c + d for c in base)
            line.append(tuple(to_byte(c) for c in rgb))
        pixels.append(line)
    return pixels


def encode_bmp(pixels):
    """24 bpp BI_RGB .bmp with a BITMAPINFOHEADER and no colour table."""
    height = len(pixels)
    width = len(pixels[0])
    stride = (width * 3 + 3) & ~3
    body = bytearray()
    for line in pixels:  # already bottom-up
        for r, g, b in line:
            body += bytes((b, g, r))
        body += bytes(stride - width * 3)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0,
                       len(body), 0, 0, 0, 0)
    offset = 14 + len(info)
    head = struct.pack("<2sIHHI", b"BM", offset + len(body), 0, 0, offset)
    return head + info + bytes(body)


# --- icon -----------------------------------------------------------------

PI = 3.141592653589793


def atan(x):
    """Arc tangent from arithmetic alone (libm results may differ by an ulp
    between platforms, which could flip a rounded pixel)."""
    if x < 0.0:
        return -atan(-x)
    if x > 1.0:
        return PI / 2.0 - atan(1.0 / x)
    # Two argument halvings bring x below tan(pi/16), where the series
    # converges fast.
    halvings = 0
    while x > 0.2:
        x = x / (1.0 + math.sqrt(1.0 + x * x))
        halvings += 1
    x2 = x * x
    term = x
    total = 0.0
    k = 1
    while True:
        nxt = total + term / k
        if nxt == total:
            break
        total = nxt
        term = -term * x2
        k += 2
    return total * (1 << halvings)


def atan2(y, x):
    if x > 0.0:
        return atan(y / x)
    if x < 0.0:
        return atan(y / x) + (PI if y >= 0.0 else -PI)
    return PI / 2.0 if y > 0.0 else -PI / 2.0 if y < 0.0 else 0.0


ICON = 32
FOCAL = 20.0       # pixels per unit at depth 1
RADIUS = 1.0
Z_NEAR = 0.05
Z_FAR = 9.0       # beyond this the tunnel is the dark opening
BEND = (0.8, -0.6)  # projected drift of ring centres per unit of depth
OPENING = (14, 13, 8)


def ring_centre(z):
    # The far end sits slightly right of and above the middle, so the rings
    # crowd on one side as in a bending tunnel.
    cx = ICON / 2.0 + BEND[0] * (z - Z_FAR * 0.6)
    cy = ICON / 2.0 + BEND[1] * (z - Z_FAR * 0.6)
    return cx, cy


def wall_depth(px, py):
    """Depth of the wall seen through screen point (px, py), or None when
    the point looks past the far end."""
    def gap(z):
        cx, cy = ring_centre(z)
        d = math.sqrt((px - cx) * (px - cx) + (py - cy) * (py - cy))
        return d - FOCAL * RADIUS / z

    if gap(Z_FAR) < 0.0:
        return None
    lo, hi = Z_NEAR, Z_FAR
    for _ in range(40):
        mid = (lo + hi) * 0.5
        if gap(mid) < 0.0:
            lo = mid
        else:
            hi = mid
    return (lo + hi) * 0.5


def render_icon(tile):
    """32 x 32 rows (row 0 = top) of (R, G, B) floats, 4 x 4 supersampled."""
    sub = 4
    image = []
    for y in range(ICON):
        line = []
        for x in range(ICON):
            acc = [0.0, 0.0, 0.0]
            for sy in range(sub):
                for sx in range(sub):
                    px = x + (sx + 0.5) / sub
                    py = y + (sy + 0.5) / sub
                    z = wall_depth(px, py)
                    if z is None:
                        rgb = OPENING
                    else:
                        cx, cy = ring_centre(z)
                        a = atan2(py - cy, px - cx)
                        # Eight tiles around, one tile per 0.8 units of depth.
                        s = (a / (2.0 * PI) + 1.0) * 2.0 * TEX
                        t = z / 0.6 * TILE
                        texel = tile[int(t) % TEX][int(s) % TEX]
                        # Darker and greyer with distance, like the program.
                        d = z / Z_FAR
                        fade = clamp(1.0 - d * math.sqrt(d), 0.0, 1.0)
                        grey = sum(texel) / 3.0
                        mix = 0.3 * (1.0 - fade)
                        rgb = tuple(o + (c * (1.0 - mix) + grey * mix - o) * fade
                                    for c, o in zip(texel, OPENING))
                    for i in range(3):
                        acc[i] += rgb[i]
            line.append(tuple(to_byte(c / (sub * sub)) for c in acc))
        image.append(line)
    return image


def median_cut(colours, count):
    """Deterministic median-cut palette of at most `count` colours."""
    unique = sorted(set(colours))
    if len(unique) <= count:
        return unique
    boxes = [sorted(colours)]
    while len(boxes) < count:
        best = None
        for i, box in enumerate(boxes):
            if len(set(box)) < 2:
                continue
            ranges = [max(c[k] for c in box) - min(c[k] for c in box)
                      for k in range(3)]
            key = (max(ranges) * len(box), -i)
            if best is None or key > best[0]:
                best = (key, i, ranges.index(max(ranges)))
        if best is None:
            break
        _, i, axis = best
        box = sorted(boxes[i], key=lambda c: (c[axis], c))
        half = len(box) // 2
        boxes[i:i + 1] = [box[:half], box[half:]]
    palette = []
    for box in boxes:
        n = len(box)
        palette.append(tuple((sum(c[k] for c in box) + n // 2) // n
                             for k in range(3)))
    return sorted(set(palette))


def nearest(palette, colour):
    best = 0
    best_d = None
    for i, p in enumerate(palette):
        d = sum((a - b) * (a - b) for a, b in zip(p, colour))
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def encode_ico(image):
    """.ico with one 8 bpp image: 256-entry palette, XOR bitmap, AND mask."""
    size = len(image)
    flat = [c for line in image for c in line]
    palette = median_cut(flat, 256)
    index = {c: nearest(palette, c) for c in set(flat)}
    palette = palette + [(0, 0, 0)] * (256 - len(palette))

    xor = bytearray()
    for line in reversed(image):  # DIBs are bottom-up
        xor += bytes(index[c] for c in line)
    mask_stride = ((size + 31) // 32) * 4
    and_mask = bytes(mask_stride * size)  # fully opaque
    colour_table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0,
                       len(xor) + len(and_mask), 0, 0, 0, 0)
    dib = info + colour_table + bytes(xor) + and_mask
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(dib), 6 + 16)
    return header + entry + dib


def main(argv):
    if len(argv) > 2:
        sys.stderr.write(__doc__)
        return 2
    here = os.path.dirname(os.path.abspath(__file__))
    out = argv[1] if len(argv) == 2 else os.path.join(here, "..", "resources")
    os.makedirs(out, exist_ok=True)
    tile = make_tile_pixels()
    with open(os.path.join(out, "tunnel.bmp"), "wb") as f:
        f.write(encode_bmp(tile))
    with open(os.path.join(out, "main.ico"), "wb") as f:
        f.write(encode_ico(render_icon(tile)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
