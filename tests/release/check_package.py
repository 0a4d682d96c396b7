#!/usr/bin/env python3
"""Builds the release zip of a Windows build with CPack into a scratch folder,
unpacks it and checks what it holds: exactly the built program, which passes
the static checks, and the user's readme.

Usage: check_package.py BUILD_DIR EXE SCR i686|x86_64 VERSION
"""

import os
import subprocess
import sys
import tempfile
import zipfile

import check_exe

README_MUST_SAY = ["Ringvoyage", "Esc", "F11", "space", "Exit codes", "0 ", "1 ", "Install",
                   "Start speed", "Pulsing rings"]


def problems(build_dir, exe, scr, arch, version):
    top = "Ringvoyage-%s-%s" % (version, arch)
    with tempfile.TemporaryDirectory() as scratch:
        result = subprocess.run(["cpack", "--config", os.path.join(build_dir, "CPackConfig.cmake"),
                                 "-B", scratch], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT, text=True, timeout=600)
        zip_path = os.path.join(scratch, top + ".zip")
        if result.returncode != 0 or not os.path.isfile(zip_path):
            yield "cpack made no %s.zip (%d): %s" % (top, result.returncode, result.stdout)
            return
        unpacked = os.path.join(scratch, "unpacked")
        with zipfile.ZipFile(zip_path) as archive:
            names = sorted(name for name in archive.namelist() if not name.endswith("/"))
            archive.extractall(unpacked)
        wanted = [top + "/README.txt", top + "/Ringvoyage.exe", top + "/Ringvoyage.scr"]
        if names != wanted:
            yield "holds %s, not %s" % (names, wanted)
            return
        for name, built_path in (("Ringvoyage.exe", exe), ("Ringvoyage.scr", scr)):
            packed_path = os.path.join(unpacked, top, name)
            with open(packed_path, "rb") as packed, open(built_path, "rb") as built:
                if packed.read() != built.read():
                    yield "%s differs from the built one" % name
            yield from check_exe.problems(packed_path, arch)
        with open(os.path.join(unpacked, top, "README.txt"), encoding="ascii") as f:
            readme = f.read()
        major, minor, patch = version.split(".")[:3]  # the readout's form: 1.0.3 is 1.03
        for text in README_MUST_SAY + ["Ringvoyage %s.%s%s\n" % (major, minor, patch)]:
            if text not in readme:
                yield "README.txt does not mention %r" % text


def main():
    if len(sys.argv) != 6 or sys.argv[4] not in check_exe.MACHINES:
        sys.exit(__doc__)
    return check_exe.report("package", list(problems(*sys.argv[1:])), "the %s package holds the "
                            "program, the screen saver and the readme" % sys.argv[4])


if __name__ == "__main__":
    sys.exit(main())
