#!/usr/bin/env python3
"""The native program's screen-saver mode in a window of another program, as
the xscreensaver daemon and its settings preview hand it one: it draws the lit
tunnel at the window's size, follows a resize, leaves the window's name alone,
prints the frame rate with --fps at no more than the display's rate, and ends
with 0 on SIGINT, on SIGTERM and when the window goes. Bad input gives one
line and exit 1 (no such window) or 2 (a command line it does not take).

Usage: saver_mode_test.py RINGVOYAGE FOREIGN_WINDOW WORKDIR
"""

import os
import re
import signal
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from e2e_driver import Failure, Image, check, log, run, wait_for, wait_for_tunnel  # noqa: E402

READOUT = re.compile(r"^Ringvoyage 1\.03 - ([0-9.e+]+) FPS$")
MAX_RATE = 61.5  # 60 Hz, and a little jitter in when a frame is counted


class ForeignWindow:
    def __init__(self, helper, width, height):
        self.process = subprocess.Popen([helper, str(width), str(height)], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE)
        self.id = self.process.stdout.readline().decode().strip()
        check(self.id.startswith("0x"), "the stand-in window is up (%s)" % self.id)

    def shot(self, path):
        run(["import", "-window", self.id, path])
        return Image(path)

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

    def rates(self):
        with open(self.out_path) as f:
            return [float(READOUT.match(line).group(1)) if READOUT.match(line) else -1.0
                    for line in f]

    def end_with(self, what, ending):
        ending()
        try:
            code = self.process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            raise Failure("%s does not end the mode" % what)
        check(code == 0, "%s ends the mode with 0 (%d)" % (what, code))


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


def scenario_window_id(program, helper, workdir):
    window = ForeignWindow(helper, 640, 480)
    mode = Mode(program, workdir, "window-id",
                ["-window-id", window.id, "--fps", "--speed", "-4", "--pulse", "-install"])
    try:
        wait_lit(window, os.path.join(workdir, "drawn.png"), "--window-id", (640, 480))
        wait_for("two frame-rate readouts", lambda: len(mode.rates()) >= 2, timeout=30)
        rates = mode.rates()
        check(len(rates) >= 2 and all(0 < r <= MAX_RATE for r in rates),
              "--fps prints readouts of at most %g FPS: %s" % (MAX_RATE, rates))
        run(["xdotool", "windowsize", window.id, "720", "240"])
        wait_lit(window, os.path.join(workdir, "resized.png"), "the resized window", (720, 240))
        check(window_name(window) == 'WM_NAME(STRING) = "foreign window"',
              "the window keeps its name (%s)" % window_name(window))
        mode.end_with("SIGINT", lambda: mode.process.send_signal(signal.SIGINT))
    finally:
        if mode.process.poll() is None:
            mode.process.kill()
        window.close()


def scenario_root(program, helper, workdir):
    window = ForeignWindow(helper, 320, 240)
    env = dict(os.environ, XSCREENSAVER_WINDOW=window.id)
    mode = Mode(program, workdir, "root", ["--root", "--no-pulse", "-visual", "default"], env)
    try:
        wait_lit(window, os.path.join(workdir, "root.png"), "--root", (320, 240))
        mode.end_with("SIGTERM", mode.process.terminate)
        mode = Mode(program, workdir, "root-gone", ["-root"], env)
        wait_lit(window, os.path.join(workdir, "root-gone.png"), "-root", (320, 240))
        mode.end_with("destroying the window", window.close)
    finally:
        if mode.process.poll() is None:
            mode.process.kill()
        window.close()
    return window.id  # names no window now


def scenario_bad_input(program, workdir, gone):
    cases = [
        (["--window-id", gone], {}, 1),
        (["--root"], {"XSCREENSAVER_WINDOW": "0xnothing"}, 1),
        (["--window-id", "12abc"], {}, 2),
        (["--window-id"], {}, 2),
        (["--speed", "5", "--root"], {}, 2),
    ]
    for arguments, extra, expected in cases:
        env = dict(os.environ, **extra)
        result = subprocess.run([program] + arguments, env=env, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, timeout=60)
        lines = result.stderr.decode().splitlines()
        check(result.returncode == expected and len(lines) == 1 and lines[0].startswith("ringvoyage: "),
              "%s gives exit %d and one line (%d, %r)" % (arguments, expected, result.returncode, lines))


def main():
    if len(sys.argv) != 4:
        sys.stderr.write(__doc__)
        return 2
    program, helper, workdir = sys.argv[1:]
    os.makedirs(workdir, exist_ok=True)
    try:
        scenario_window_id(program, helper, workdir)
        gone = scenario_root(program, helper, workdir)
        scenario_bad_input(program, workdir, gone)
    except (Failure, subprocess.TimeoutExpired) as error:
        log("FAIL: %s (output in %s)" % (error, workdir))
        return 1
    log("PASS")
    return 0


if __name__ == "__main__":
    sys.exit(main())
