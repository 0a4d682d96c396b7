"""Readers of the file formats the tests look into, written apart from the
product's own writers: PPM and PNG sizes, BMP and icon bitmaps, compiled
resources, version records and PE images."""

import re
import struct

PPM_GAP = rb"(?:\s|#[^\n]*\n)+"  # blanks and comments between a PPM's fields
PPM_HEADER = re.compile(rb"P6" + PPM_GAP + rb"(\d+)" + PPM_GAP + rb"(\d+)" + PPM_GAP + rb"255\s")
DIB_FIELDS = ("size", "width", "height", "planes", "bpp", "compression", "image_size", "xres",
              "yres", "used", "important")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def ppm(data):
    """(width, height, RGB bytes) of a binary PPM with 8-bit channels."""
    header = PPM_HEADER.match(data)
    if not header:
        raise ValueError("not an 8-bit binary PPM: %r" % data[:32])
    width, height = int(header.group(1)), int(header.group(2))
    pixels = data[header.end():header.end() + 3 * width * height]
    if len(pixels) != 3 * width * height:
        raise ValueError("a %dx%d PPM cut short" % (width, height))
    return width, height, pixels


def png_size(data):
    """(width, height) from a PNG's header, or None for no PNG."""
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        return None
    return struct.unpack_from(">II", data, 16)


def dib_header(data, at=0):
    return dict(zip(DIB_FIELDS, struct.unpack_from("<IiiHHIIiiII", data, at)))


def bmp(data):
    """The file header's and the DIB header's fields, and pixels[row][col]
    as (R, G, B) of a 24-bit bitmap, rows in storage order."""
    magic, file_size, res1, res2, offset = struct.unpack_from("<2sIHHI", data, 0)
    header = dict(dib_header(data, 14), magic=magic, file_size=file_size, reserved=(res1, res2),
                  offset=offset)
    width, stride = header["width"], (header["width"] * 3 + 3) & ~3
    pixels = []
    for row in range(abs(header["height"])):
        line = data[offset + row * stride:][:3 * width]
        pixels.append([(line[i + 2], line[i + 1], line[i]) for i in range(0, 3 * width, 3)])
    return header, pixels


def icon_directory(data, group=False):
    """(reserved, type, entries) of an .ico file, or of an icon group
    resource, whose entries end in a resource id instead of an offset."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    names = ("width", "height", "colours", "reserved", "planes", "bpp", "size",
             "id" if group else "offset")
    layout, step = ("<BBBBHHIH", 14) if group else ("<BBBBHHII", 16)
    return reserved, kind, [dict(zip(names, struct.unpack_from(layout, data, 6 + step * i)))
                            for i in range(count)]


def icon_image(dib):
    """An 8-bit icon image: (header, palette, rows top-down of (R, G, B),
    AND mask rows top-down, where its data ends)."""
    header = dib_header(dib)
    size, width, bpp = header["size"], header["width"], header["bpp"]
    entries = header["used"] or (1 << bpp)
    palette = [(dib[at + 2], dib[at + 1], dib[at]) for at in range(size, size + 4 * entries, 4)]
    rows = header["height"] // 2
    xor_at = size + 4 * entries
    xor_stride = (width * bpp + 31) // 32 * 4
    and_at = xor_at + xor_stride * rows
    and_stride = (width + 31) // 32 * 4
    image = [[palette[i] for i in dib[xor_at + row * xor_stride:][:width]] for row in range(rows)]
    mask = [[(dib[and_at + row * and_stride + x // 8] >> (7 - x % 8)) & 1 for x in range(width)]
            for row in range(rows)]
    return header, palette, image[::-1], mask[::-1], and_at + and_stride * rows


def utf16z(data, at):
    """A zero-ended UTF-16 string at `at`, and where the data after it starts."""
    end = at
    while struct.unpack_from("<H", data, end)[0]:
        end += 2
    return data[at:end].decode("utf-16-le"), end + 2


def res_entries(data):
    """Entries of a .res file as {(type, name): (language, bytes)}."""

    def ident(at):
        if struct.unpack_from("<H", data, at)[0] == 0xFFFF:
            return struct.unpack_from("<H", data, at + 2)[0], at + 4
        return utf16z(data, at)

    entries = {}
    at = 0
    while at < len(data):
        data_size, header_size = struct.unpack_from("<II", data, at)
        kind, p = ident(at + 8)
        name, p = ident(p)
        language = struct.unpack_from("<H", data, ((p + 3) & ~3) + 6)[0]
        if not (kind == 0 and name == 0 and data_size == 0):
            entries[(kind, name)] = (language, data[at + header_size:at + header_size + data_size])
        at = (at + header_size + data_size + 3) & ~3
    return entries


def version_node(data, at=0):
    """One node of a version record: (key, value, children, end); the value
    is text or bytes as the node says."""
    length, value_length, is_text = struct.unpack_from("<HHH", data, at)
    end = at + length
    key, p = utf16z(data, at + 6)
    p = (p + 3) & ~3
    if is_text:
        value = data[p:p + value_length * 2].decode("utf-16-le").rstrip("\0")
        p += value_length * 2
    else:
        value = data[p:p + value_length]
        p += value_length
    children = []
    p = (p + 3) & ~3
    while p < end:
        children.append(version_node(data, p))
        p = (children[-1][3] + 3) & ~3
    return key, value, children, end


def file_version(record):
    """The fixed file version (a, b, c, d) of a version record."""
    key, fixed, _, _ = version_node(record)
    signature, _, ms, ls = struct.unpack_from("<4I", fixed, 0)
    if key != "VS_VERSION_INFO" or signature != 0xFEEF04BD:
        raise ValueError("no fixed file information in the version record")
    return (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


class PeImage:
    """The headers, imports and resources of a Windows PE image."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        (self.machine, sections, _, self.symbol_table, self.symbols, optional_size,
         _) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        directories = optional + (96 if self.magic == 0x10B else 112)
        self.directory = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(3)]
        table = optional + optional_size
        self.sections = [struct.unpack_from("<IIII", data, table + 40 * i + 8)
                         for i in range(sections)]
        # Long names such as ".debug_info" are "/<offset>" into the symbols' strings.
        self.section_names = [data[table + 40 * i:table + 40 * i + 8].rstrip(b"\0")
                              for i in range(sections)]

    def offset(self, rva):
        for virtual_size, address, raw_size, raw_offset in self.sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw_offset + rva - address
        raise ValueError("address %#x is in no section" % rva)

    def imports(self):
        rva = self.directory[1][0]
        names = []
        while True:
            entry = struct.unpack_from("<5I", self.data, self.offset(rva))
            if not any(entry):
                return names
            start = self.offset(entry[3])
            names.append(self.data[start:self.data.index(b"\0", start)].decode("ascii"))
            rva += 20

    def resources(self):
        """{(type id, name id): first leaf's bytes} of the resource tree."""
        if not self.directory[2][0]:
            return {}
        base = self.offset(self.directory[2][0])

        def entries(offset):
            named, ids = struct.unpack_from("<HH", self.data, base + offset + 12)
            for i in range(named + ids):
                yield struct.unpack_from("<II", self.data, base + offset + 16 + 8 * i)

        found = {}
        for kind, kinds in entries(0):
            for name, names in entries(kinds & 0x7FFFFFFF):
                language = next(entries(names & 0x7FFFFFFF))[1]
                rva, size = struct.unpack_from("<II", self.data, base + language)
                found[(kind, name)] = self.data[self.offset(rva):self.offset(rva) + size]
        return found
