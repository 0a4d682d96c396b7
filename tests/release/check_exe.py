#!/usr/bin/env python3
"""Static checks of a built Windows program, for hosts that cannot run it as
well as those that can: the PE header of its architecture with the GUI
subsystem, imports of system DLLs only (no MinGW runtime DLL), the
embedded resources with the version record and the application manifest,
and no symbols or debug information left in it.

Usage: check_exe.py EXE i686|x86_64 [--installer]  (RINGVOYAGE_VERSION: the version)
(--installer: only the architecture, the version record and an icon)
"""

import os
import struct
import sys
import xml.etree.ElementTree as ElementTree

MACHINES = {"i686": (0x14C, 0x10B, "PE32"), "x86_64": (0x8664, 0x20B, "PE32+")}
SYSTEM_DLLS = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "OPENGL32.DLL", "GLU32.DLL",
               "SHELL32.DLL", "MSVCRT.DLL", "ADVAPI32.DLL", "OLE32.DLL",
               "COMDLG32.DLL"}
# (resource type, id): bitmap 104, accelerators 103, icon group 128, version 1,
# manifest 1.
RESOURCES = {(2, 104): "tile bitmap", (9, 103): "accelerator table",
             (14, 128): "icon group", (16, 1): "version record",
             (24, 1): "application manifest"}
# project(VERSION), given by the test's registration.
VERSION = tuple(int(n) for n in os.environ["RINGVOYAGE_VERSION"].split("."))
GUI_SUBSYSTEM = 2


class Image:
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

    def string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imports(self):
        rva = self.directory[1][0]
        names = []
        while True:
            entry = struct.unpack_from("<5I", self.data, self.offset(rva))
            if not any(entry):
                return names
            names.append(self.string(entry[3]))
            rva += 20

    def resources(self):
        """{(type id, name id): first leaf's bytes} of the resource tree."""
        if not self.directory[2][0]:
            return {}
        base = self.offset(self.directory[2][0])

        def entries(offset):
            named, ids = struct.unpack_from("<HH", self.data, base + offset + 12)
            for i in range(named + ids):
                key, value = struct.unpack_from("<II", self.data, base + offset + 16 + 8 * i)
                yield key, value

        found = {}
        for kind, kinds in entries(0):
            for name, names in entries(kinds & 0x7FFFFFFF):
                language = next(entries(names & 0x7FFFFFFF))[1]
                rva, size = struct.unpack_from("<II", self.data, base + language)
                found[(kind, name)] = self.data[self.offset(rva):self.offset(rva) + size]
        return found


def file_version(record):
    at = record.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        return None
    ms, ls = struct.unpack_from("<II", record, at + 8)
    return (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
SETTINGS_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
SETTINGS_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
# Windows 7, 8, 8.1 and 10/11.
SUPPORTED_OS = {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}


def manifest_problems(text):
    """What the manifest lacks of DPI awareness, OS support, themed controls
    and asInvoker."""
    root = ElementTree.fromstring(text)
    settings = root.find(ASM_V3 + "application/" + ASM_V3 + "windowsSettings")
    awareness = settings.findtext(SETTINGS_2016 + "dpiAwareness") if settings is not None else None
    if awareness is None or awareness.split(",")[0].strip() != "PerMonitorV2":
        yield "manifest: dpiAwareness is %r, not PerMonitorV2 first" % awareness
    fallback = settings.findtext(SETTINGS_2005 + "dpiAware") if settings is not None else None
    if fallback is None or fallback.strip().lower() not in ("true", "true/pm", "per monitor"):
        yield "manifest: no dpiAware fallback (%r)" % fallback
    declared = {os.get("Id") for os in root.iter(COMPATIBILITY + "supportedOS")}
    if declared != SUPPORTED_OS:
        yield "manifest: supportedOS %s, not Windows 7 to 11" % sorted(declared)
    controls = [a for a in root.iter(ASM_V1 + "assemblyIdentity")
                if a.get("name") == "Microsoft.Windows.Common-Controls"]
    if not controls or not controls[0].get("version", "").startswith("6."):
        yield "manifest: no dependency on Common Controls 6"
    levels = [e.get("level") for e in root.iter(ASM_V3 + "requestedExecutionLevel")]
    if levels != ["asInvoker"]:
        yield "manifest: execution level %s, not asInvoker" % levels


def problems(path, arch):
    machine, magic, kind = MACHINES[arch]
    with open(path, "rb") as f:
        image = Image(f.read())
    if image.machine != machine or image.magic != magic:
        yield "not a %s %s image (machine %#x, magic %#x)" % (arch, kind, image.machine,
                                                              image.magic)
    if image.subsystem != GUI_SUBSYSTEM:
        yield "subsystem %d, not the Windows GUI" % image.subsystem
    imported = {name.upper() for name in image.imports()}
    if not imported >= {"OPENGL32.DLL", "GLU32.DLL", "USER32.DLL"}:
        yield "does not import OpenGL, GLU and USER32: %s" % sorted(imported)
    if imported - SYSTEM_DLLS:
        yield "imports DLLs a bare Windows lacks: %s" % sorted(imported - SYSTEM_DLLS)
    resources = image.resources()
    for key, what in RESOURCES.items():
        if key not in resources:
            yield "no %s (resource type %d, id %d)" % (what, key[0], key[1])
    debug = [name.decode("ascii", "replace") for name in image.section_names
             if name.startswith((b"/", b".debug"))]
    if image.symbol_table or image.symbols or debug:
        yield "not stripped: %d symbols, sections %s" % (image.symbols, debug)
    version = file_version(resources.get((16, 1), b""))
    if version != VERSION:
        yield "file version %s, not %s" % (version, VERSION)
    if (24, 1) in resources:
        try:
            yield from manifest_problems(resources[(24, 1)])
        except ElementTree.ParseError as error:
            yield "manifest is not well-formed XML: %s" % error


def installer_problems(path, arch):
    """An installer carries the architecture, the version record and an icon."""
    machine, magic, kind = MACHINES[arch]
    with open(path, "rb") as f:
        image = Image(f.read())
    if image.machine != machine or image.magic != magic or image.subsystem != GUI_SUBSYSTEM:
        yield "not a %s %s GUI image" % (arch, kind)
    resources = image.resources()
    if not any(kind == 14 for kind, _ in resources):
        yield "no icon group"
    version = file_version(resources.get((16, 1), b""))
    if version != VERSION:
        yield "file version %s, not %s" % (version, VERSION)


def main():
    check = problems
    if len(sys.argv) == 4 and sys.argv[3] == "--installer":
        check = installer_problems
    elif len(sys.argv) != 3:
        sys.exit(__doc__)
    if sys.argv[2] not in MACHINES:
        sys.exit(__doc__)
    try:
        found = list(check(sys.argv[1], sys.argv[2]))
    except (OSError, ValueError, struct.error, StopIteration) as error:
        found = ["not a readable PE image: %s" % error]
    for problem in found:
        print("FAIL: %s: %s" % (sys.argv[1], problem))
    if not found:
        what = "installer" if check is installer_problems else "stripped GUI program"
        print("ok: %s is a %s %s %s with its resources" %
              (sys.argv[1], sys.argv[2], MACHINES[sys.argv[2]][2], what))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
