#!/usr/bin/env python3
"""The Windows installer round trip under Wine: a silent install puts the
program, the screen saver, the Start-menu shortcut and the uninstall key in
place and leaves the current screen saver alone unless /SAVER asks; a copy of
the uninstaller elsewhere removes nothing; installing into another folder
replaces the first installation; the installed program starts and draws; the
uninstaller closes it, and reports failure, keeping its entry, while a file
stays in use; a silent uninstall removes all of it and gives the previous
screen saver back.

Usage: installer_test.py WINE_RUN SETUP SEND_COMMAND WORKDIR  (RINGVOYAGE_VERSION: the version)
"""

import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import e2e_driver as e2e  # noqa: E402

UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Ringvoyage"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
PREVIOUS_SAVER = r"C:\windows\system32\previous.scr"
DEFAULT_FOLDER = r"C:\Program Files\Ringvoyage"
OTHER_FOLDER = r"C:\Apps\Ringvoyage"
UNINSTALL_VALUES = {"DisplayName": "Ringvoyage", "DisplayVersion": os.environ["RINGVOYAGE_VERSION"],
                    "Publisher": "Ringvoyage project"}


class Wine:
    def __init__(self, wine_run):
        self.wine_run = wine_run

    def run(self, *args, timeout=120):
        return subprocess.run([self.wine_run] + list(args), stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                              timeout=timeout)

    def reg_value(self, key, name):
        """The data of a registry value, or None."""
        out = self.run("reg", "query", key, "/v", name).stdout.replace("\r", "")
        for line in out.splitlines():
            parts = line.split(None, 2)
            if len(parts) >= 2 and parts[0].lower() == name.lower() and parts[1].startswith("REG"):
                return parts[2] if len(parts) == 3 else ""
        return None

    def unix_path(self, windows_path):
        return self.run("winepath", "-u", windows_path).stdout.strip()


def installed_paths(wine, folder=DEFAULT_FOLDER):
    unix_folder = wine.unix_path(folder)
    return [os.path.join(unix_folder, name)
            for name in ("Ringvoyage.exe", "README.txt", "Uninstall.exe")] + [
        wine.unix_path(r"C:\windows\system32\Ringvoyage.scr"),
        wine.unix_path(r"C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Ringvoyage.lnk")]


def install(wine, setup, *options):
    code = wine.run(setup, "/S", *options).returncode
    e2e.check(code == 0, "silent install %s ends with 0 (%d)" % (" ".join(options), code))


def check_installed(wine, folder=DEFAULT_FOLDER):
    missing = [p for p in installed_paths(wine, folder) if not os.path.isfile(p)]
    e2e.check(not missing, "every file is in place (missing: %s)" % missing)
    values = {}

    def named():
        values.update({name: wine.reg_value(UNINSTALL_KEY, name) for name in UNINSTALL_VALUES})
        return values == UNINSTALL_VALUES

    # On a loaded machine one query in many answered nothing for a value the
    # installer had written: it is read again before it counts as missing.
    try:
        e2e.wait_for("the uninstall key", named, 15, interval=1)
    except e2e.Failure:
        pass
    e2e.check(values == UNINSTALL_VALUES, "the uninstall key names the program: %s" % values)
    icon = wine.reg_value(UNINSTALL_KEY, "DisplayIcon") or ""
    e2e.check(icon.lower().endswith(r"\ringvoyage.exe,0"), "the uninstall key's icon (%s)" % icon)
    location = wine.reg_value(UNINSTALL_KEY, "InstallLocation")
    e2e.check(location == folder, "the uninstall key records %s (%s)" % (folder, location))


def start_installed_program(options, folder):
    exe = folder + r"\Ringvoyage.exe"
    program = e2e.Program(options, dict(os.environ), [options.wine_run, exe])
    program.find_window()
    program.wait_readout()
    e2e.wait_for_tunnel(lambda: program.screenshot("installed.png"), "the installed program")
    return program


def check_foreign_uninstaller(wine):
    """A copy of the uninstaller in a folder of the user's removes nothing."""
    folder = r"C:\Downloads"
    unix_folder = wine.unix_path(folder)
    os.makedirs(unix_folder, exist_ok=True)
    shutil.copy(installed_paths(wine)[2], unix_folder)
    decoys = [os.path.join(unix_folder, name) for name in ("README.txt", "Ringvoyage.exe")]
    for decoy in decoys:
        with open(decoy, "w") as f:
            f.write("the user's own\n")
    # _?= runs it in place, so that its exit code is its outcome.
    code = wine.run(folder + r"\Uninstall.exe", "/S", "_?=" + folder).returncode
    e2e.check(code != 0 and all(os.path.isfile(p) for p in decoys),
              "an uninstaller copied elsewhere refuses (%d) and deletes nothing" % code)
    check_installed(wine)
    shutil.rmtree(unix_folder)


def check_uninstall_in_use(options, wine, program):
    """The uninstaller closes the running program; a file it cannot remove
    (the screen saver, held by its open settings) makes it fail, keeping its
    Apps & features entry."""
    with e2e.Program(options, dict(os.environ),
                     [options.wine_run, r"C:\windows\system32\Ringvoyage.scr", "/c"],
                     log_name="settings.stderr") as settings:
        e2e.saver_dialog(settings)
        code = wine.run(OTHER_FOLDER + r"\Uninstall.exe", "/S", "_?=" + OTHER_FOLDER).returncode
        e2e.check(not program.alive(), "the uninstaller closes the running program")
        e2e.check(code == 2 and os.path.isfile(installed_paths(wine)[3]) and
                  wine.reg_value(UNINSTALL_KEY, "DisplayName") == "Ringvoyage",
                  "with the saver in use it fails (%d) and keeps the saver and its entry" % code)


def uninstall(wine, folder=DEFAULT_FOLDER):
    uninstaller = folder + r"\Uninstall.exe"
    code = wine.run(uninstaller, "/S").returncode
    e2e.check(code == 0, "silent uninstall starts (%d)" % code)
    # The uninstaller runs from a copy of itself and returns at once.
    paths = installed_paths(wine, folder)
    e2e.wait_for("the uninstaller to remove every file",
                 lambda: not any(os.path.exists(p) for p in paths), 60, interval=0.5)
    folder = os.path.dirname(paths[0])
    e2e.check(not os.path.exists(folder), "the program folder is gone")
    e2e.check(wine.reg_value(UNINSTALL_KEY, "DisplayName") is None, "the uninstall key is gone")


def round_trip(wine, setup, options):
    e2e.ensure_display(wine.wine_run)
    # A leftover of an earlier run would hide a missing step.
    location = wine.reg_value(UNINSTALL_KEY, "InstallLocation")
    if location is not None:
        uninstall(wine, location)
    wine.run("reg", "add", DESKTOP_KEY, "/v", "SCRNSAVE.EXE", "/d", PREVIOUS_SAVER, "/f")

    install(wine, setup)
    check_installed(wine)
    saver = wine.reg_value(DESKTOP_KEY, "SCRNSAVE.EXE")
    e2e.check(saver == PREVIOUS_SAVER, "silent mode leaves the screen saver alone (%s)" % saver)
    check_foreign_uninstaller(wine)

    with start_installed_program(options, DEFAULT_FOLDER) as program:
        install(wine, setup, "/SAVER", "/D=" + OTHER_FOLDER)
        e2e.check(not program.alive(), "installing closes the running program")
    check_installed(wine, OTHER_FOLDER)
    e2e.check(not os.path.exists(os.path.dirname(installed_paths(wine)[0])),
              "installing elsewhere replaces the first installation")
    saver = wine.reg_value(DESKTOP_KEY, "SCRNSAVE.EXE") or ""
    e2e.check(saver.lower() == r"c:\windows\system32\ringvoyage.scr",
              "/SAVER makes Ringvoyage the screen saver (%s)" % saver)

    with start_installed_program(options, OTHER_FOLDER) as program:
        check_uninstall_in_use(options, wine, program)
    uninstall(wine, OTHER_FOLDER)
    saver = wine.reg_value(DESKTOP_KEY, "SCRNSAVE.EXE")
    e2e.check(saver == PREVIOUS_SAVER, "uninstalling gives the previous saver back (%s)" % saver)


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    wine_run, setup, send_command, workdir = sys.argv[1:]
    os.makedirs(workdir, exist_ok=True)
    options = type("Options", (), {"wine_run": wine_run, "send_command": send_command,
                                   "workdir": workdir})()
    return e2e.driver_status(round_trip, Wine(wine_run), setup, options)


if __name__ == "__main__":
    sys.exit(main())
