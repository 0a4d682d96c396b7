"""What the end-to-end drivers share: checks that fail with one line,
polling, helper commands, X windows, the readout's patterns, pictures and
their motion, a process's CPU time, stopping a process, and a driver's
exit status."""

import os
import re
import subprocess
import time

from formats import ppm

# The readout's version, from project(VERSION) through the test's registration.
READOUT_VERSION = re.escape(os.environ.get("RINGVOYAGE_READOUT_VERSION", "(not given)"))
# The readout as a title shows it, and as --fps prints it (no leading blank).
READOUT = re.compile(r"^ Ringvoyage %s - ([0-9.e+]+) FPS$" % READOUT_VERSION)
PRINTED_READOUT = re.compile(r"^Ringvoyage %s - ([0-9.e+]+) FPS$" % READOUT_VERSION)
SKIP = 77  # the tests' SKIP_RETURN_CODE


class Failure(Exception):
    pass


class Skip(Exception):
    pass


def log(message):
    print(message, flush=True)


def check(condition, message):
    if not condition:
        raise Failure(message)
    log("ok: " + message)


def run(args, timeout=30, check_rc=True, env_display=None):
    """Runs a helper command (on another X display if given) and returns its
    stdout."""
    env = dict(os.environ, DISPLAY=env_display) if env_display else None
    result = subprocess.run(args, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, timeout=timeout, text=True, env=env)
    if check_rc and result.returncode != 0:
        raise Failure("%s failed (%d): %s" % (" ".join(args), result.returncode,
                                               result.stderr.strip()))
    return result.stdout


def wait_for(description, predicate, timeout, interval=0.2):
    """Polls predicate until it returns a true value; fails after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("timed out after %g s waiting for %s" % (timeout, description))
        time.sleep(interval)


def driver_status(body, *args):
    """A driver's exit status: 0 when body passes, 77 when it skips, else 1,
    with the reason on one line."""
    try:
        body(*args)
    except Skip as reason:
        log("SKIP: %s" % reason)
        return SKIP
    except (Failure, subprocess.SubprocessError, OSError) as error:
        log("FAIL: %s" % error)
        return 1
    log("PASS")
    return 0


def visible_windows(name, pid=None, display=None):
    """Ids of the visible X windows whose name matches (and of that process)."""
    # --all: without it xdotool matches the pid OR the name.
    by_pid = ["--pid", str(pid)] if pid else []
    return run(["xdotool", "search", "--all", "--onlyvisible"] + by_pid + ["--name", name],
               check_rc=False, env_display=display).split()


def find_window(process, what="the program's window", timeout=60):
    """Waits for the process's visible window titled ' Ringvoyage...'."""

    def search():
        if process.poll() is not None:
            raise Failure("program ended before %s appeared (exit code %d)" %
                          (what, process.returncode))
        return visible_windows("^ Ringvoyage", process.pid)

    return wait_for(what, search, timeout, interval=0.3)[0]


def geometry(window):
    """(x, y, width, height) of an X window."""
    out = run(["xwininfo", "-id", window])
    keys = ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")
    found = [re.search(r"^\s*%s:\s*(-?\d+)" % key, out, re.M) for key in keys]
    if not all(found):
        raise Failure("xwininfo gave no geometry for %s" % window)
    return tuple(int(match.group(1)) for match in found)


def display_size():
    width, height = run(["xdotool", "getdisplaygeometry"]).split()
    return int(width), int(height)


def title(window):
    return run(["xdotool", "getwindowname", window]).rstrip("\n")


def focus(window, display=None):
    run(["xdotool", "windowfocus", "--sync", window], timeout=15, env_display=display)


def screenshot(window, path=None):
    """A window's picture (an X id, or "root"), kept as the file path if given."""
    if path:
        run(["import", "-window", window, path])
    source = ["convert", path] if path else ["import", "-window", window]
    return Image(subprocess.run(source + ["-depth", "8", "ppm:-"], stdout=subprocess.PIPE,
                                check=True, timeout=30).stdout)


class Image:
    """An RGB picture from a binary PPM (ImageMagick's, grim's)."""

    def __init__(self, data):
        try:
            self.width, self.height, self.pixels = ppm(data)
        except ValueError as error:
            raise Failure(str(error))

    def region(self, x0, y0, x1, y1, step=2):
        """Yields (r, g, b) for every step-th pixel of a rectangle."""
        for y in range(int(y0), int(y1), step):
            row = y * self.width
            for x in range(int(x0), int(x1), step):
                i = 3 * (row + x)
                yield self.pixels[i], self.pixels[i + 1], self.pixels[i + 2]

    def border_and_centre(self):
        """Pixels of the outer band (a tenth of each side) and of the middle third."""
        w, h = self.width, self.height
        bw, bh = w // 10, h // 10
        border = (list(self.region(0, 0, w, bh)) + list(self.region(0, h - bh, w, h)) +
                  list(self.region(0, bh, bw, h - bh)) + list(self.region(w - bw, bh, w, h - bh)))
        centre = list(self.region(w / 3, h / 3, 2 * w / 3, 2 * h / 3))
        return border, centre

    def mean_difference(self, other):
        """Mean change per channel; pictures of two sizes differ wholly."""
        if (self.width, self.height) != (other.width, other.height):
            return 255.0
        return change(self.pixels, other.pixels)


def luminance(pixels):
    return sum(0.299 * r + 0.587 * g + 0.114 * b for r, g, b in pixels) / len(pixels)


def is_wall_colour(pixel):
    """The tiles are yellow-green and the grout brown: red and green well above blue."""
    r, g, b = pixel
    return r >= 40 and r >= b + 15 and g >= b + 10


def wall_share(pixels):
    return sum(1 for p in pixels if is_wall_colour(p)) / len(pixels)


def wait_for_tunnel(take_shot, what, timeout=30):
    """Waits for a drawn frame of the lit tunnel: a window shows before its
    first frame is drawn, and a screenshot may come before it."""
    seen = []

    def lit():
        border, _ = take_shot().border_and_centre()
        seen[:] = [luminance(border), 100 * wall_share(border)]
        return seen[0] > 60 and seen[1] > 60

    try:
        wait_for(what, lit, timeout, interval=0.3)
    except Failure:
        raise Failure("%s shows no lit tunnel (border luminance %.1f, %.0f%% wall colours)" %
                      (what, seen[0], seen[1]))
    log("ok: %s shows the lit tunnel (border luminance %.1f, %.0f%% wall colours)" %
        (what, seen[0], seen[1]))


def change(a, b):
    """Mean change per sampled byte between two pictures' pixels."""
    n = min(len(a), len(b))
    return sum(abs(x - y) for x, y in zip(a[:n:97], b[:n:97])) / len(a[:n:97])


def lit(pixels):
    """A tunnel picture's RGB bytes: bright on the whole, little pure black,
    and not one flat colour (an empty background is flat)."""
    samples = pixels[::97]
    average = sum(samples) / len(samples)
    spread = (sum((x - average) ** 2 for x in samples) / len(samples)) ** 0.5
    return average > 60 and samples.count(0) < 0.2 * len(samples) and spread > 15


def motion(take_shot):
    """Mean change of the picture over half a second."""
    first = take_shot()
    time.sleep(0.5)
    return change(first, take_shot())


def check_slowed(take_shot, slow_down):
    """Many "-" slow the picture's motion well down."""
    fast = motion(take_shot)
    slow_down()
    slow = motion(take_shot)
    check(fast > 4 * slow and fast > 2, "'-' slows the picture (change %.1f, then %.1f)" %
          (fast, slow))


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def cpu_share(pid, seconds):
    """Share of one core a process used over `seconds`."""
    before, begun = cpu_seconds(pid), time.monotonic()
    time.sleep(seconds)
    return (cpu_seconds(pid) - before) / (time.monotonic() - begun)


def recording_script(path, log_path):
    """An executable that stands in for a browser: it appends its arguments
    to log_path."""
    with open(path, "w") as f:
        f.write("#!/bin/sh\nprintf '%%s\\n' \"$*\" >> '%s'\n" % log_path)
    os.chmod(path, 0o755)


def check_exit(process, what, code=0, timeout=60):
    """Waits for a process to end, and checks its exit code."""
    try:
        got = process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        raise Failure("%s: the program still runs %g s later" % (what, timeout))
    check(got == code, "%s ends it with exit code %d (%d)" % (what, code, got))


def stop(process):
    if process is not None and process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
