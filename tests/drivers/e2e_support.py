"""What the end-to-end drivers share: checks that fail with one line,
polling, helper commands, the readout's patterns, pictures and their
motion, a process's CPU time, and stopping a process."""

import os
import re
import subprocess
import time

# The readout's version, from project(VERSION) through the test's registration.
READOUT_VERSION = re.escape(os.environ.get("RINGVOYAGE_READOUT_VERSION", "(not given)"))
# The readout as a title shows it, and as --fps prints it (no leading blank).
READOUT = re.compile(r"^ Ringvoyage %s - ([0-9.e+]+) FPS$" % READOUT_VERSION)
PRINTED_READOUT = re.compile(r"^Ringvoyage %s - ([0-9.e+]+) FPS$" % READOUT_VERSION)


class Failure(Exception):
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


class Image:
    """An RGB picture read through ImageMagick as a binary PPM."""

    def __init__(self, path):
        data = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], stdout=subprocess.PIPE,
                              check=True, timeout=30).stdout
        fields = []
        pos = 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos)
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        if fields[0] != b"P6" or int(fields[3]) != 255:
            raise Failure("unexpected image format from convert: %r" % fields)
        self.width = int(fields[1])
        self.height = int(fields[2])
        self.pixels = data[pos + 1:pos + 1 + 3 * self.width * self.height]

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
        """Mean absolute difference per channel, sampled over the whole picture."""
        if (self.width, self.height) != (other.width, other.height):
            return 255.0
        a, b = self.pixels, other.pixels
        total = 0
        count = 0
        for i in range(0, len(a), 3 * 7):
            total += abs(a[i] - b[i]) + abs(a[i + 1] - b[i + 1]) + abs(a[i + 2] - b[i + 2])
            count += 3
        return total / count


def luminance(pixels):
    return sum(0.299 * r + 0.587 * g + 0.114 * b for r, g, b in pixels) / len(pixels)


def is_wall_colour(pixel):
    """The tiles are yellow-green and the grout brown: red and green well above blue."""
    r, g, b = pixel
    return r >= 40 and r >= b + 15 and g >= b + 10


def wait_for_tunnel(take_shot, what, timeout=30):
    """Waits for a drawn frame of the lit tunnel: a window shows before its
    first frame is drawn, and a screenshot may come before it."""
    seen = []

    def lit():
        border, _ = take_shot().border_and_centre()
        wall = sum(1 for p in border if is_wall_colour(p)) / len(border)
        seen[:] = [luminance(border), 100 * wall]
        return luminance(border) > 60 and wall > 0.6

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


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def stop(process):
    if process is not None and process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
