#!/usr/bin/env python3
"""The native program's screen-saver mode in a window of another program, as
the xscreensaver daemon and its settings preview hand it one: it draws the lit
tunnel at the window's size, follows a resize, leaves the window's name alone,
prints the frame rate with --fps at no more than the display's rate, and ends
with 0 on SIGINT, on SIGTERM and when the window goes, also while it starts.
It rests on a window not shown yet, and draws once it is. --root with no
XSCREENSAVER_WINDOW lights the root window. Bad input gives one line and
exit 1 (no such window, one it cannot draw into, no GL driver, no display)
or 2 (a command line it does not take).

Usage: saver_mode_test.py RINGVOYAGE FOREIGN_WINDOW WORKDIR
"""

import os
import re
import signal
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "drivers"))
from e2e_support import PRINTED_READOUT as READOUT  # noqa: E402
from e2e_support import (Failure, check, check_exit, cpu_seconds, driver_status,  # noqa: E402
                         run, screenshot, stop, wait_for, wait_for_tunnel)

MAX_RATE = 61.5  # 60 Hz, and a little jitter in when a frame is counted


class ForeignWindow:
    def __init__(self, helper, width, height, *kind):
        self.process = subprocess.Popen([helper, str(width), str(height)] + list(kind),
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.id = self.process.stdout.readline().decode().strip()
        check(self.id.startswith("0x"), "the stand-in window is up (%s)" % self.id)

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()

    def shot(self, path):
        return screenshot(self.id, path)

    def close(self):
        if self.process.poll() is None:
            self.process.stdin.close()
            self.process.wait(timeout=30)


class Mode:
    def __init__(self, program, workdir, name, arguments, env=None):
        self.out_path = os.path.join(workdir, name + ".out")
        self.err_path = os.path.join(workdir, name + ".err")
        with open(self.out_path, "wb") as out, open(self.err_path, "wb") as err:
            # Started in the background, a shell's children ignore SIGINT.
            self.process = subprocess.Popen(
                [program] + arguments, stdout=out, stderr=err, env=env,
                preexec_fn=lambda: signal.signal(signal.SIGINT, signal.SIG_DFL))

    def __enter__(self):
        return self

    def __exit__(self, *_):
        stop(self.process)

    def errors(self):
        with open(self.err_path) as f:
            return f.read().splitlines()

    def rates(self):
        """The readouts' rates; any other line counts as -1 and is kept for the
        failure message."""
        with open(self.out_path, errors="replace") as f:
            lines = f.read().splitlines()
        self.strays = [line for line in lines if not READOUT.match(line)]
        return [float(READOUT.match(line).group(1)) if READOUT.match(line) else -1.0
                for line in lines]

    def end_with(self, what, ending):
        ending()
        check_exit(self.process, what, 0, 30)


def wait_readout(mode, what):
    """The mode's own first frames: its first --fps readout."""
    def readout():
        if mode.process.poll() is not None:
            raise Failure("%s: the mode ended (%d): %r" % (what, mode.process.returncode,
                                                            mode.errors()))
        return mode.rates()
    wait_for("%s: a readout" % what, readout, timeout=60)


def wait_lit(window, path, what, size):
    """Waits for the window's size, then for the lit tunnel filling it."""
    def sized():
        shot = window.shot(path)
        return (shot.width, shot.height) == size

    what = "%s at %dx%d" % ((what,) + size)
    wait_for(what, sized, timeout=60, interval=0.5)
    wait_for_tunnel(lambda: window.shot(path), what, timeout=60)


def window_name(window):
    return run(["xprop", "-id", window.id, "WM_NAME"]).strip()


def check_speed(program, helper, workdir, slow):
    """--speed 4 beside the --speed -4 of `slow`: read at the same times, the
    fast picture changes far more from one frame to the next. A window's
    samples with no new frame are left out, so the frame rates do not count."""
    with ForeignWindow(helper, 480, 360) as fast_window:
        run(["xdotool", "windowmove", fast_window.id, "650", "0"])
        with Mode(program, workdir, "fast",
                  ["--window-id", fast_window.id, "--speed", "4", "--fps"]) as fast:
            wait_readout(fast, "--speed 4")
            changes = [[], []]
            for _ in range(30):
                slow.process.stdin.write(("%s %s 25\n" % (fast_window.id, slow.id)).encode())
                slow.process.stdin.flush()
                for seen, value in zip(changes, slow.process.stdout.readline().split()):
                    if float(value) > 0:
                        seen.append(float(value))
            fast_change, slow_change = (statistics.median(c or [0.0]) for c in changes)
            check(fast_change > 2 * slow_change > 0,
                  "--speed 4 moves the picture more than --speed -4 (change %.1f against %.1f)"
                  % (fast_change, slow_change))
            fast.end_with("SIGTERM", fast.process.terminate)


def scenario_window_id(program, helper, workdir):
    with ForeignWindow(helper, 640, 480) as window, Mode(
            program, workdir, "window-id", ["-window-id", "0X" + window.id[2:].upper(), "--fps",
                                            "--speed", "-4", "--pulse", "-install"]) as mode:
        # The id as some callers write it, in capitals.
        wait_lit(window, os.path.join(workdir, "drawn.png"), "--window-id", (640, 480))
        wait_for("two frame-rate readouts", lambda: len(mode.rates()) >= 2, timeout=30)
        rates = mode.rates()
        check(len(rates) >= 2 and all(0 < r <= MAX_RATE for r in rates),
              "--fps prints readouts of at most %g FPS: %s %r" % (MAX_RATE, rates, mode.strays))
        check_speed(program, helper, workdir, window)
        run(["xdotool", "windowsize", window.id, "720", "240"])
        wait_lit(window, os.path.join(workdir, "resized.png"), "the resized window", (720, 240))
        check(window_name(window) == 'WM_NAME(STRING) = "foreign window"',
              "the window keeps its name (%s)" % window_name(window))
        mode.end_with("SIGINT", lambda: mode.process.send_signal(signal.SIGINT))


def scenario_root(program, helper, workdir):
    with ForeignWindow(helper, 320, 240) as window:
        env = dict(os.environ, XSCREENSAVER_WINDOW=window.id)
        with Mode(program, workdir, "root", ["--root", "--no-pulse", "-visual", "default"],
                  env) as mode:
            wait_lit(window, os.path.join(workdir, "root.png"), "--root", (320, 240))
            mode.end_with("SIGTERM", mode.process.terminate)
        with Mode(program, workdir, "root-gone", ["-root", "--fps"], env) as mode:
            wait_readout(mode, "-root")  # the last mode's frame is still in the window
            wait_lit(window, os.path.join(workdir, "root-gone.png"), "-root", (320, 240))
            mode.end_with("destroying the window", window.close)
    env.pop("XSCREENSAVER_WINDOW")
    with Mode(program, workdir, "root-window", ["--root", "--fps"], env) as mode:
        wait_readout(mode, "--root with no XSCREENSAVER_WINDOW")
        path = os.path.join(workdir, "root-window.png")
        wait_for_tunnel(lambda: screenshot("root", path), "the root window", timeout=60)
        mode.end_with("SIGTERM", mode.process.terminate)


def scenario_unmapped(program, helper, workdir):
    """A window not shown yet when the mode starts: it rests until the window
    is mapped."""
    with ForeignWindow(helper, 320, 240, "unmapped") as window, Mode(
            program, workdir, "unmapped", ["--window-id", window.id, "--fps"]) as mode:
        ticks = [cpu_seconds(mode.process.pid)]

        def resting():
            time.sleep(1)
            ticks.append(cpu_seconds(mode.process.pid))
            return ticks[-1] == ticks[-2]
        wait_for("the mode to rest on the unmapped window", resting, timeout=60, interval=0)
        check(mode.rates() == [], "it rests on a window not yet shown, with no readout")
        run(["xdotool", "windowmap", window.id])
        wait_readout(mode, "the mapped window")
        wait_lit(window, os.path.join(workdir, "mapped.png"), "the mapped window", (320, 240))
        mode.end_with("SIGTERM", mode.process.terminate)


def scenario_gone_at_start(program, helper, workdir):
    """A window that goes while the mode starts: exit 0 and nothing said, or,
    gone before the mode looked, the one line of a missing window. The delay
    hovers about the moment the mode first looks at the window."""
    missing = re.compile(r"^ringvoyage: no window 0x[0-9a-f]+ on this display$")
    delay, late = 0.3, 0
    for cycle in range(12):
        window = ForeignWindow(helper, 160, 120)
        mode = Mode(program, workdir, "race", ["--window-id", window.id])
        time.sleep(delay)
        window.close()
        code = mode.process.wait(timeout=60)
        lines = mode.errors()
        early = code == 1 and len(lines) == 1 and missing.match(lines[0])
        if not (early or (code == 0 and lines == [])):
            raise Failure("the window gone %.2f s after the start: exit %d, %r" %
                          (delay, code, lines))
        late += 0 if early else 1
        delay = delay * 1.3 + 0.05 if early else delay * 0.85
    check(late >= 3, "%d of 12 windows gone after the mode looked at them, while it started:"
          " exit 0 and nothing said" % late)


def scenario_bad_input(program, helper, _):
    gone = "0x1fe0ffff"  # in the X server's last client slot, which nothing here fills
    with ForeignWindow(helper, 160, 120) as window, ForeignWindow(
            helper, 160, 120, "input-only") as input_only:
        # The daemon's own window gone before the mode looked: it has moved on.
        cases = [
            (["--root"], {"XSCREENSAVER_WINDOW": gone}, 0),
            (["--window-id", gone], {}, 1),
            (["--window-id", input_only.id], {}, 1),
            (["--window-id", window.id], {"LIBGL_DRIVERS_PATH": "/nonexistent"}, 1),
            (["--root"], {"XSCREENSAVER_WINDOW": "0xnothing"}, 1),
            ([], {"DISPLAY": None, "WAYLAND_DISPLAY": None}, 1),
            (["--window-id", "12abc"], {}, 2),
            (["--window-id"], {}, 2),
            (["--speed", "5", "--root"], {}, 2),
            (["--frobnicate"], {}, 2),
        ]
        for arguments, extra, expected in cases:
            env = {k: v for k, v in dict(os.environ, **extra).items() if v is not None}
            result = subprocess.run([program] + arguments, env=env, stdout=subprocess.PIPE,
                                    stderr=subprocess.PIPE, timeout=60)
            lines = result.stderr.decode().splitlines()
            said = 0 if expected == 0 else 1
            check(result.returncode == expected and len(lines) == said and
                  all(line.startswith("ringvoyage: ") for line in lines),
                  "%s %s gives exit %d and %d line (%d, %r)" %
                  (extra, arguments, expected, said, result.returncode, lines))


def main():
    if len(sys.argv) != 4:
        sys.stderr.write(__doc__)
        return 2
    program, helper, workdir = sys.argv[1:]
    os.makedirs(workdir, exist_ok=True)
    print("output in %s" % workdir, flush=True)
    return driver_status(lambda: [scenario(program, helper, workdir) for scenario in (
        scenario_window_id, scenario_root, scenario_unmapped, scenario_gone_at_start,
        scenario_bad_input)])


if __name__ == "__main__":
    sys.exit(main())
