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

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "drivers"))
from formats import PeImage, file_version, icon_directory, read  # noqa: E402

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


def version_problems(resources):
    version = file_version(resources[(16, 1)]) if (16, 1) in resources else None
    if version != VERSION:
        yield "file version %s, not %s" % (version, VERSION)


def problems(path, arch):
    machine, magic, kind = MACHINES[arch]
    image = PeImage(read(path))
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
    yield from version_problems(resources)
    if (24, 1) in resources:
        try:
            yield from manifest_problems(resources[(24, 1)])
        except ElementTree.ParseError as error:
            yield "manifest is not well-formed XML: %s" % error


def installer_problems(path, arch):
    """An installer carries the architecture, the version record and an icon."""
    machine, magic, kind = MACHINES[arch]
    image = PeImage(read(path))
    if image.machine != machine or image.magic != magic or image.subsystem != GUI_SUBSYSTEM:
        yield "not a %s %s GUI image" % (arch, kind)
    resources = image.resources()
    groups = [data for (kind, _), data in resources.items() if kind == 14]
    if not any(icon_directory(group, group=True)[2] for group in groups):
        yield "no icon group"
    yield from version_problems(resources)


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
    what = "installer" if check is installer_problems else "stripped GUI program"
    return report(sys.argv[1], found, "%s is a %s %s %s with its resources" %
                  (sys.argv[1], sys.argv[2], MACHINES[sys.argv[2]][2], what))


def report(name, found, passed):
    """Prints each problem found, or that all passed; the exit status."""
    for problem in found:
        print("FAIL: %s: %s" % (name, problem))
    if not found:
        print("ok: " + passed)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
