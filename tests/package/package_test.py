#!/usr/bin/env python3
"""Checks of the Debian package ringvoyage_*.deb.

  contents DEB SOURCE_DIR     the files, link, control fields, man page, icons,
                              and the XML against the stock modes' format
  lintian DEB                 lintian, run as an ordinary user: no error or warning
  daemon DEB WORKDIR SHOT     the real xscreensaver daemon, as an ordinary user
                              on $DISPLAY, runs the mode from the unpacked package;
                              the screen shows the tunnel (kept as SHOT) and
                              xscreensaver-command -deactivate ends the mode

Exit status 0: passed; 77: skipped (the reason is printed); else failed.
"""

import atexit
import gzip
import os
import pwd
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "drivers"))
from e2e_support import (Skip, check, driver_status, log, run, screenshot,  # noqa: E402
                         wait_for, wait_for_tunnel)
from formats import png_size, read  # noqa: E402

USER = "rvtest"  # the ordinary user lintian and the daemon run as, when we are root
MODE = "/usr/libexec/xscreensaver/ringvoyage"
FILES = {
    "/usr/bin/ringvoyage",
    MODE,
    "/usr/share/xscreensaver/config/ringvoyage.xml",
    "/usr/share/applications/ringvoyage.desktop",
    "/usr/share/icons/hicolor/16x16/apps/ringvoyage.png",
    "/usr/share/icons/hicolor/32x32/apps/ringvoyage.png",
    "/usr/share/man/man6/ringvoyage.6.gz",
    "/usr/share/doc/ringvoyage/copyright",
    "/usr/share/doc/ringvoyage/changelog.gz",
}
# Stock modes of xscreensaver-gl whose configs show the format (no tunnels).
STOCK_CONFIGS = ["gears", "glmatrix", "bubble3d", "superquadrics", "molecule"]


def unpack(deb, folder):
    run(["dpkg-deb", "-x", deb, folder])
    return folder


def check_format_like_stock(ours):
    """Every element and attribute of ours is one the stock configs use on
    the same element; the slider's default lies within its range."""
    used = {}
    for name in STOCK_CONFIGS:
        path = "/usr/share/xscreensaver/config/%s.xml" % name
        if not os.path.exists(path):
            raise Skip("%s is missing: install xscreensaver-gl" % path)
        for element in ElementTree.parse(path).iter():
            used.setdefault(element.tag, set()).update(element.attrib)
    root = ElementTree.parse(ours).getroot()
    check(root.tag == "screensaver" and root.get("name") == "ringvoyage" and
          root.get("gl") == "yes", "the XML describes the GL mode ringvoyage")
    for element in root.iter():
        unknown = set(element.attrib) - used.get(element.tag, set())
        check(element.tag in used and not unknown,
              "<%s> and its attributes %s are in the stock format" %
              (element.tag, sorted(element.attrib)))
    args = {e.get("arg") or e.get("arg-set") for e in root.iter() if e.tag != "screensaver"}
    check({"--root", "--speed %", "--pulse", "--fps"} <= args,
          "the XML passes --root, --speed, --pulse and --fps (%s)" % sorted(a for a in args if a))
    slider = root.find("number[@id='speed']")
    check(int(slider.get("low")) <= int(slider.get("default")) <= int(slider.get("high")) and
          (slider.get("low"), slider.get("high")) == ("-4", "4"), "the speed slider runs from -4 to 4")
    check(root.findtext("_description", "").strip() != "", "the XML has a description")


def scenario_contents(deb, source):
    listing = run(["dpkg-deb", "-c", deb]).splitlines()
    files = {line.split()[5][1:] for line in listing if not line.startswith("d")}
    check(files == FILES, "the package holds exactly the expected files (extra %s, missing %s)" %
          (sorted(files - FILES), sorted(FILES - files)))
    depends = run(["dpkg-deb", "-f", deb, "Depends"])
    needed = ("libsdl2-2.0-0", "libc6", "libwayland-client0", "libwayland-egl1", "libegl1")
    check(all(name in depends for name in needed) and "libasan" not in depends,
          "Depends comes from shlibdeps (%s)" % depends.strip())
    with tempfile.TemporaryDirectory() as folder:
        unpack(deb, folder)
        check(os.readlink(folder + MODE) == "../../bin/ringvoyage" and
              os.path.samefile(folder + MODE, folder + "/usr/bin/ringvoyage"),
              "the mode is a relative link to the program")
        version = run([folder + "/usr/bin/ringvoyage", "--version"]).strip()
        check(version == "ringvoyage " + run(["dpkg-deb", "-f", deb, "Version"]).strip(),
              "the packaged program runs and has the package's version (%s)" % version)
        for page in ("/usr/share/man/man6/ringvoyage.6.gz", "/usr/share/doc/ringvoyage/changelog.gz"):
            with open(folder + page, "rb") as f:
                check(f.read(8)[4:8] == b"\0\0\0\0", "%s carries no time stamp" % page)
        with gzip.open(folder + "/usr/share/man/man6/ringvoyage.6.gz", "rt") as f:
            manual = f.read()
        check(manual.startswith(".TH RINGVOYAGE 6") and "\\-\\-window\\-id" in manual,
              "the man page is in section 6 and documents --window-id")
        for size in (16, 32):
            path = folder + "/usr/share/icons/hicolor/%dx%d/apps/ringvoyage.png" % (size, size)
            check(png_size(read(path)) == (size, size),
                  "the %dx%d icon is a PNG of that size" % (size, size))
        with open(folder + "/usr/share/applications/ringvoyage.desktop") as f:
            entry = f.read().splitlines()
        check("Exec=ringvoyage" in entry and "Icon=ringvoyage" in entry,
              "the desktop entry starts the program with its icon")
        ours = folder + "/usr/share/xscreensaver/config/ringvoyage.xml"
        check(open(ours, "rb").read() == open(source + "/packaging/linux/ringvoyage.xml", "rb").read(),
              "the packaged XML is the source's")
        check_format_like_stock(ours)


def ordinary_user():
    """The user to run as, and the command prefix that makes us that user."""
    if os.geteuid() != 0:
        return pwd.getpwuid(os.geteuid()), []
    try:
        pwd.getpwnam(USER)
    except KeyError:
        run(["useradd", "--create-home", "--shell", "/bin/sh", USER])
    return pwd.getpwnam(USER), ["runuser", "-u", USER, "--"]


def readable_copy(deb, folder):
    """A folder the ordinary user can read, holding a copy of the package."""
    os.chmod(folder, 0o755)
    copy = os.path.join(folder, os.path.basename(deb))
    shutil.copyfile(deb, copy)
    os.chmod(copy, 0o644)
    return copy


def scenario_lintian(deb):
    if shutil.which("lintian") is None:
        raise Skip("lintian is not installed")
    _, as_user = ordinary_user()
    with tempfile.TemporaryDirectory() as folder:
        # From a folder the user may enter, which the build tree need not be.
        result = subprocess.run(as_user + ["lintian", "--info", "--display-info", readable_copy(deb, folder)],
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=240,
                                cwd=folder)
    tags = result.stdout.splitlines()
    log("lintian: %s" % ("\n".join(tags) if tags else "no tags"))
    bad = [t for t in tags if t.startswith(("E:", "W:"))]
    check(result.returncode == 0 and not bad, "lintian reports no error or warning %s" % bad)


def mode_pids(path):
    out = subprocess.run(["pgrep", "-f", "^" + path], stdout=subprocess.PIPE, text=True).stdout
    return out.split()


def scenario_daemon(deb, workdir, shot_path):
    for program in ("xscreensaver", "xscreensaver-command"):
        if shutil.which(program) is None:
            raise Skip("%s is not installed (Debian package xscreensaver)" % program)
    user, as_user = ordinary_user()
    shutil.rmtree(workdir, ignore_errors=True)
    os.makedirs(workdir)
    # The user must reach the mode, and start in a folder it may enter,
    # wherever the build tree is: a home such as root's lets nobody else in.
    unpacked = tempfile.mkdtemp(prefix="ringvoyage-daemon-")
    atexit.register(shutil.rmtree, unpacked, True)
    os.chdir(unpacked)
    root = unpack(readable_copy(deb, unpacked), os.path.join(unpacked, "root"))
    for base, dirs, _ in os.walk(unpacked):
        for d in dirs:
            os.chmod(os.path.join(base, d), 0o755)
    mode = root + MODE
    settings = os.path.join(user.pw_dir, ".xscreensaver")
    with open(settings, "w") as f:
        f.write('mode: one\nselected: 0\ntimeout: 0:30:00\nlock: False\nfade: False\n'
                'unfade: False\nsplash: False\nprograms: GL: "Ringvoyage" %s --root --speed 2\n' % mode)
    os.chown(settings, user.pw_uid, user.pw_gid)
    env = ["env", "-i", "DISPLAY=" + os.environ["DISPLAY"], "HOME=" + user.pw_dir,
           "PATH=/usr/bin:/bin", "USER=" + user.pw_name, "LOGNAME=" + user.pw_name]
    command = as_user + env

    log_file = open(os.path.join(workdir, "daemon.log"), "wb")
    daemon = subprocess.Popen(command + ["xscreensaver", "--no-splash"], stdout=log_file,
                              stderr=subprocess.STDOUT)
    try:
        wait_for("the daemon to answer", lambda: subprocess.run(
            command + ["xscreensaver-command", "-time"], stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL).returncode == 0, timeout=60, interval=0.5)
        run(command + ["xscreensaver-command", "-select", "1"])
        wait_for("the daemon to start the mode", lambda: mode_pids(mode), timeout=60)
        log("ok: the daemon runs %s (pid %s)" % (mode, " ".join(mode_pids(mode))))
        shot_file = os.path.join(workdir, "screen.png")
        wait_for_tunnel(lambda: screenshot("root", shot_file), "the daemon's screen", timeout=60)
        shutil.copyfile(shot_file, shot_path)
        log("screenshot kept as %s" % shot_path)
        run(command + ["xscreensaver-command", "-deactivate"])
        wait_for("-deactivate to end the mode", lambda: not mode_pids(mode), timeout=30)
        log("ok: xscreensaver-command -deactivate ends the mode")
    finally:
        subprocess.run(command + ["xscreensaver-command", "-exit"], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30)
        try:
            daemon.wait(timeout=30)
        except subprocess.TimeoutExpired:
            daemon.kill()
            daemon.wait()
        for pid in mode_pids(mode):
            subprocess.run(["kill", pid])
        log_file.close()


def main():
    scenarios = {"contents": (scenario_contents, 3), "lintian": (scenario_lintian, 2),
                 "daemon": (scenario_daemon, 4)}
    if len(sys.argv) < 2 or sys.argv[1] not in scenarios or len(sys.argv) != scenarios[sys.argv[1]][1] + 1:
        sys.stderr.write(__doc__)
        return 2
    return driver_status(scenarios[sys.argv[1]][0], *sys.argv[2:])


if __name__ == "__main__":
    sys.exit(main())
