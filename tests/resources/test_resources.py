#!/usr/bin/env python3
"""Checks the embedded resources: the generated tile bitmap and icon, and the
resource script as compiled by windres."""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(REPO, "tests", "drivers"))
from formats import (bmp, file_version, icon_directory, icon_image, read,  # noqa: E402
                     res_entries, version_node)

RESOURCES = os.path.join(REPO, "resources")
GENERATOR = os.path.join(REPO, "tools", "make_resources.py")
BMP_PATH = os.path.join(RESOURCES, "tunnel.bmp")
ICO_PATH = os.path.join(RESOURCES, "main.ico")
RC_PATH = os.path.join(RESOURCES, "ringvoyage.rc")

GERMAN = 1031
RT_ICON, RT_BITMAP, RT_ACCELERATOR, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 2, 9, 14, 16, 24


def luminance(rgb):
    r, g, b = rgb
    return 0.299 * r + 0.587 * g + 0.114 * b


def near(rgb, target, tolerance):
    return all(abs(a - b) <= tolerance for a, b in zip(rgb, target))


# --- tests --------------------------------------------------------------------

class GeneratorTest(unittest.TestCase):
    def test_committed_images_are_reproduced_byte_for_byte(self):
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, GENERATOR, out], check=True)
            for name in ("tunnel.bmp", "main.ico"):
                with self.subTest(name=name):
                    self.assertEqual(read(os.path.join(out, name)),
                                     read(os.path.join(RESOURCES, name)),
                                     name + " differs from the generator's output")

    def test_rejects_extra_arguments(self):
        result = subprocess.run([sys.executable, GENERATOR, "a", "b"],
                                capture_output=True)
        self.assertEqual(result.returncode, 2)


GROUT_LINES = (0, 16, 32, 48)
BAND_LINES = (15, 31, 47, 63)


class TileBitmapTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.data = read(BMP_PATH)
        cls.header, cls.pixels = bmp(cls.data)

    def kind(self, row, col):
        if row in GROUT_LINES or col in GROUT_LINES:
            return "grout"
        if row in BAND_LINES or col in BAND_LINES:
            return "band"
        return "face"

    def cells(self, kind):
        """(row, col, (R, G, B)) of every pixel of a kind."""
        return [(r, c, self.pixels[r][c]) for r in range(64) for c in range(64)
                if self.kind(r, c) == kind]

    def test_headers(self):
        self.assertEqual(len(self.data), 14 + 40 + 12288)
        # Offset 54: the pixels follow the header, with no colour table.
        self.assertEqual(self.header, dict(
            magic=b"BM", file_size=len(self.data), reserved=(0, 0), offset=54, size=40, width=64,
            height=64, planes=1, bpp=24, compression=0, image_size=12288, xres=0, yres=0, used=0,
            important=0))

    def test_grout_and_bands(self):
        for row, col, rgb in self.cells("grout"):
            target = (107, 90, 49) if row == 0 else (99, 82, 49) if col == 0 else (90, 74, 41)
            self.assertTrue(near(rgb, target, 10), "grout at row %d col %d is %r" % (row, col, rgb))
        for row, col, rgb in self.cells("band"):
            self.assertTrue(near(rgb, (130, 116, 74), 10),
                            "band at row %d col %d is %r" % (row, col, rgb))

    def test_grout_row0_and_column0_are_lighter_than_other_grout(self):
        def mean_lum(cells):
            return sum(luminance(self.pixels[r][c]) for r, c in cells) / len(cells)
        inner = mean_lum([(r, c) for r in (16, 32, 48) for c in range(1, 64)])
        row0 = mean_lum([(0, c) for c in range(1, 64)])
        col0 = mean_lum([(r, 0) for r in range(1, 64)])
        self.assertGreater(row0, col0)
        self.assertGreater(col0, inner)

    def test_faces_in_range_and_average(self):
        faces = [p for _, _, p in self.cells("face")]
        self.assertEqual(len(faces), 16 * 14 * 14)
        lo, hi = (156, 148, 90), (214, 206, 140)
        inside = sum(all(l <= v <= h for v, l, h in zip(p, lo, hi)) for p in faces)
        self.assertGreaterEqual(inside / len(faces), 0.95)
        for p in faces:
            self.assertTrue(all(l - 8 <= v <= h + 8 for v, l, h in zip(p, lo, hi)),
                            "face pixel %r far outside the tile colours" % (p,))
            self.assertTrue(p[0] > p[2] + 30 and p[1] > p[2] + 30,
                            "face pixel %r is not yellow-green" % (p,))
        mean = [sum(p[i] for p in faces) / len(faces) for i in range(3)]
        for got, want in zip(mean, (183, 178, 113)):
            self.assertAlmostEqual(got, want, delta=4)
        # Band and grout are darker than any face, grout darker than any band.
        lum = {kind: [luminance(p) for _, _, p in self.cells(kind)]
               for kind in ("face", "band", "grout")}
        self.assertLess(max(lum["band"]), min(lum["face"]))
        self.assertLess(max(lum["grout"]), min(lum["band"]))

    def test_faces_are_mottled_with_soft_patches(self):
        lum = [[luminance(p) for p in line] for line in self.pixels]
        faces = [lum[r][c] for r, c, _ in self.cells("face")]
        mean = sum(faces) / len(faces)
        std = (sum((v - mean) ** 2 for v in faces) / len(faces)) ** 0.5
        self.assertGreater(std, 6.0, "faces are too flat to look mottled")
        steps = [abs(lum[r][c + 1] - lum[r][c]) for r, c, _ in self.cells("face")
                 if c < 63 and self.kind(r, c + 1) == "face"]
        # Independent noise would give about 1.1 std per step; soft patches
        # change slowly from pixel to pixel.
        self.assertLess(sum(steps) / len(steps), 0.6 * std)
        tiles = {tuple(tuple(self.pixels[r][c] for c in range(tc + 1, tc + 15))
                       for r in range(tr + 1, tr + 15))
                 for tr in GROUT_LINES for tc in GROUT_LINES}
        self.assertEqual(len(tiles), 16, "tile faces should not be copies of each other")

    def test_tiles_seamlessly_under_repeat(self):
        # Wrapping from the last column/row to the first must look like any
        # band-to-grout step inside the picture.
        for i in range(64):
            for a, b in ((self.kind(i, 63), self.kind(i, 0)),
                         (self.kind(63, i), self.kind(0, i))):
                self.assertIn(a, ("band", "grout"))
                self.assertEqual(b, "grout")
            if i and i not in GROUT_LINES:
                self.assertEqual(self.kind(i, 63), self.kind(i, 15))
        # Colour check of the wrap seam itself, not just the classification.
        for i in range(1, 64):
            if i in GROUT_LINES or i in BAND_LINES:
                continue
            self.assertTrue(near(self.pixels[i][63], (130, 116, 74), 10))
            self.assertTrue(near(self.pixels[i][0], (99, 82, 49), 10))
            self.assertTrue(near(self.pixels[63][i], (130, 116, 74), 10))
            self.assertTrue(near(self.pixels[0][i], (107, 90, 49), 10))


class IconTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.data = read(ICO_PATH)
        cls.reserved, cls.kind, cls.entries = icon_directory(cls.data)
        e = cls.entries[0]
        cls.image = icon_image(cls.data[e["offset"]:e["offset"] + e["size"]])

    def test_directory_has_one_32x32_256_colour_entry(self):
        self.assertEqual((self.reserved, self.kind, len(self.entries)), (0, 1, 1))
        # 256 colours are written as 0.
        self.assertEqual(self.entries[0], dict(width=32, height=32, colours=0, reserved=0,
                                               planes=1, bpp=8, offset=6 + 16,
                                               size=len(self.data) - 6 - 16))

    def test_image_layout(self):
        header, palette, image, mask, end = self.image
        self.assertEqual(header["size"], 40)
        self.assertEqual((header["width"], header["height"]), (32, 64),
                         "icon DIBs count the colour and mask rows together")
        self.assertEqual((header["planes"], header["bpp"], header["compression"]),
                         (1, 8, 0))
        self.assertIn(header["used"], (0, 256))
        self.assertEqual(len(palette), 256)
        self.assertEqual(end, self.entries[0]["size"],
                         "colour table, pixels and AND mask fill the image")
        self.assertEqual(header["image_size"], 32 * 32 + 32 * 4)
        self.assertEqual(len(image), 32)
        self.assertTrue(all(bit == 0 for line in mask for bit in line),
                        "the square tunnel view is opaque everywhere")

    def test_shows_a_tunnel_with_a_dark_opening(self):
        image = self.image[2]
        lum = [[luminance(p) for p in line] for line in image]
        centre = [lum[y][x] for y in range(12, 20) for x in range(12, 20)]
        rim = [lum[y][x] for y in range(32) for x in range(32)
               if min(x, y, 31 - x, 31 - y) < 3]
        self.assertLess(sum(centre) / len(centre), 0.5 * sum(rim) / len(rim))
        darkest = min((lum[y][x], x, y) for y in range(32) for x in range(32))
        self.assertLess(darkest[0], 40)
        self.assertTrue(8 <= darkest[1] <= 23 and 8 <= darkest[2] <= 23,
                        "the opening should be in the middle, found at %r" % (darkest[1:],))
        wall = [image[y][x] for y in range(32) for x in range(32)
                if min(x, y, 31 - x, 31 - y) < 3]
        yellow_green = [p for p in wall if p[0] > p[2] + 40 and p[1] > p[2] + 40]
        self.assertGreater(len(yellow_green), len(wall) // 2, "the wall should be yellow-green")
        # Grout lines cross the near wall: its brightness must vary strongly.
        self.assertGreater(max(rim) - min(rim), 60)


WINDRES = shutil.which(os.environ.get("RINGVOYAGE_WINDRES") or "i686-w64-mingw32-windres")
# The build's generated version.h, which the script includes.
WINDRES_INCLUDE = ["-I", os.environ.get("RINGVOYAGE_GENERATED", ".")]


@unittest.skipUnless(WINDRES, "i686-w64-mingw32-windres not available")
class ResourceScriptTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        res = os.path.join(cls.tmp.name, "ringvoyage.res")
        # Run from elsewhere: file names in the script must resolve against
        # the script's own folder.
        subprocess.run([WINDRES, *WINDRES_INCLUDE, RC_PATH, "-O", "res", "-o", res],
                       check=True, cwd=cls.tmp.name)
        cls.entries = res_entries(read(res))

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def entry(self, kind, name):
        self.assertIn((kind, name), self.entries)
        language, body = self.entries[(kind, name)]
        self.assertEqual(language, GERMAN, "resource %r/%r is not German" % (kind, name))
        return body

    def test_compiles_to_coff(self):
        obj = os.path.join(self.tmp.name, "ringvoyage.o")
        subprocess.run([WINDRES, *WINDRES_INCLUDE, RC_PATH, "-O", "coff", "-o", obj],
                       check=True, cwd=self.tmp.name)
        self.assertGreater(os.path.getsize(obj), 12288)

    def test_exactly_the_expected_resources(self):
        icons = [k for k in self.entries if k[0] == RT_ICON]
        self.assertEqual(len(icons), 1)
        self.assertEqual(set(self.entries), {(RT_BITMAP, 104), (RT_GROUP_ICON, 128),
                                             (RT_ACCELERATOR, 103), (RT_VERSION, 1),
                                             (RT_MANIFEST, 1), icons[0]})
        for key, (language, _) in self.entries.items():
            # The manifest is language-neutral, as Windows looks it up.
            self.assertEqual(language, 0 if key[0] == RT_MANIFEST else GERMAN, key)

    def test_bitmap_is_the_tile_without_file_header(self):
        self.assertEqual(self.entry(RT_BITMAP, 104), read(BMP_PATH)[14:])

    def test_icon_group_points_at_the_icon_image(self):
        reserved, kind, entries = icon_directory(self.entry(RT_GROUP_ICON, 128), group=True)
        self.assertEqual((reserved, kind, len(entries)), (0, 1, 1))
        e = entries[0]
        self.assertEqual((e["width"], e["height"], e["colours"], e["planes"], e["bpp"]),
                         (32, 32, 0, 1, 8))
        ico = read(ICO_PATH)
        _, _, (file_entry,) = icon_directory(ico)
        image = self.entry(RT_ICON, e["id"])
        self.assertEqual(e["size"], len(image))
        self.assertEqual(image, ico[file_entry["offset"]:][:file_entry["size"]])

    def test_accelerator_f11_toggles_fullscreen(self):
        table = self.entry(RT_ACCELERATOR, 103)
        self.assertEqual(len(table), 8, "exactly one entry")
        flags, key, command, _pad = struct.unpack("<HHHH", table)
        FVIRTKEY, FNOINVERT, LAST = 0x01, 0x02, 0x80
        self.assertEqual(flags, FVIRTKEY | FNOINVERT | LAST)
        self.assertEqual(key, 0x7A)  # VK_F11
        self.assertEqual(command, 40001)  # ID_FULLSCREEN

    def test_version_record(self):
        body = self.entry(RT_VERSION, 1)
        key, fixed, children, end = version_node(body)
        self.assertEqual(key, "VS_VERSION_INFO")
        self.assertEqual(end, len(body))
        self.assertEqual(len(fixed), 52)
        version = os.environ["RINGVOYAGE_VERSION"]
        # The fixed file and product versions, as project(VERSION) gives them.
        self.assertEqual(file_version(body), tuple(int(n) for n in version.split(".")))
        self.assertEqual(struct.unpack_from("<II", fixed, 16), struct.unpack_from("<II", fixed, 8))
        file_type = struct.unpack_from("<I", fixed, 36)[0]
        self.assertEqual(file_type, 1, "VFT_APP")

        blocks = {child[0]: child for child in children}
        self.assertEqual(set(blocks), {"StringFileInfo", "VarFileInfo"})
        tables = blocks["StringFileInfo"][2]
        self.assertEqual([t[0] for t in tables], ["040704B0"])
        strings = {s[0]: s[1] for s in tables[0][2]}
        self.assertLessEqual(dict(ProductName="Ringvoyage", FileDescription="Ringvoyage",
                                  FileVersion=version, ProductVersion=version,
                                  OriginalFilename="Ringvoyage.exe").items(), strings.items())
        for field in ("CompanyName", "InternalName", "LegalCopyright"):
            self.assertTrue(strings.get(field), field + " is empty")
        translation = blocks["VarFileInfo"][2]
        self.assertEqual([t[0] for t in translation], ["Translation"])
        self.assertEqual(translation[0][1], struct.pack("<HH", 0x407, 1200))


if __name__ == "__main__":
    unittest.main()
