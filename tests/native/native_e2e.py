#!/usr/bin/env python3
"""End-to-end checks of the native program `ringvoyage` on an X display
(Xvfb), driven by XTEST keys through xdotool.

  window: a lit tunnel, the readout in the title, "-" slows the picture,
          F11 covers the screen and comes back, minimised it uses almost no
          CPU, Esc ends it with 0.
  saver:  --saver covers the screen; a jolt of the pointer leaves it, a
          real motion or a key ends it with 0.
  options: --homepage and --donate hand the pages' addresses to the browser
          (xdg-open). With stdout closed, or a pipe whose reader has gone,
          --fps neither stops the picture nor SIGTERM; with no window manager
          F11 does not hold up the frames. (Bad input: saver_mode_test.py.)
"""

import os
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "drivers"))
from e2e_support import (READOUT, Failure, check, check_exit, check_slowed,  # noqa: E402
                         cpu_share, display_size, driver_status, find_window, focus, geometry,
                         lit, log, recording_script, run, screenshot, stop, title, wait_for)

KEYS = ["Escape", "minus", "plus", "F11"]


def shot(window):
    return screenshot(window).pixels


def size(window):
    return geometry(window)[2:]


def press(window, *keys):
    focus(window)
    run(["xdotool", "key", "--delay", "20"] + list(keys))


def has_window_manager():
    """True when the root names a check window that still exists (a killed
    manager leaves the property behind)."""
    out = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], stdout=subprocess.PIPE,
                         text=True, timeout=30).stdout
    match = re.search(r"window id # (0x[0-9a-f]+)", out)
    return match is not None and subprocess.run(
        ["xprop", "-id", match.group(1), "_NET_WM_NAME"], stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL, timeout=30).returncode == 0


def start_window_manager():
    """A desktop has a window manager, which fullscreen and minimising need;
    a bare virtual display gets openbox for the run."""
    if has_window_manager():
        return None
    for attempt in range(3):
        manager = subprocess.Popen(["openbox"], stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        wait_for("openbox", lambda: has_window_manager() or manager.poll() is not None, 20)
        if manager.poll() is None:
            return manager
        print("openbox ended at once (exit %d): %s" % (manager.returncode,
                                                        manager.stderr.read().strip()), flush=True)
        time.sleep(1)
    raise Failure("no window manager could be started")


def window_scenario(program):
    manager = start_window_manager()
    process = subprocess.Popen([program], stdin=subprocess.DEVNULL)
    try:
        window = find_window(process, "the window")
        wait_for("an 800 x 600 window", lambda: size(window) == (800, 600), 10)
        wait_for("a lit tunnel", lambda: lit(shot(window)), 10)
        log("ok: a lit tunnel")
        log("ok: readout '%s'" % wait_for("a readout", lambda: READOUT.match(title(window)), 10)[0])
        check_slowed(lambda: shot(window), lambda: press(window, *(["minus"] * 45)))

        screen = display_size()
        press(window, "F11")
        wait_for("fullscreen", lambda: size(window) == screen, 10)
        log("ok: F11 covers the %d x %d screen" % screen)
        press(window, "F11")
        wait_for("the window back", lambda: size(window) == (800, 600), 10)
        log("ok: F11 again gives the 800 x 600 window back")

        run(["xdotool", "windowminimize", "--sync", window])
        time.sleep(1)
        used = cpu_share(process.pid, 4)
        check(used < 0.02, "minimised, it uses %.1f%% of a core" % (100 * used))
        rested = title(window)
        run(["xdotool", "windowactivate", "--sync", window])
        wait_for("a fresh readout",
                 lambda: title(window) != rested and READOUT.match(title(window)), 10)
        log("ok: restored, it draws again: '%s'" % title(window))

        # At the slowest speed the fly-out would take minutes: "+" speeds it up.
        press(window, *(["plus"] * 30))
        press(window, "Escape")
        check_exit(process, "'+' then Esc")
    finally:
        run(["xdotool", "keyup"] + KEYS, check_rc=False)
        stop(process)
        stop(manager)


def saver_scenario(program):
    manager, screen = start_window_manager(), display_size()
    try:
        for jolt, end, what in [((3, -3), ["mousemove_relative", "--", "40", "0"],
                                 "pointer motion"), ((0, 0), ["key", "space"], "a key")]:
            process = subprocess.Popen([program, "--saver"], stdin=subprocess.DEVNULL)
            try:
                window = find_window(process, "the saver's window")
                wait_for("a full-screen saver", lambda: size(window) == screen, 10)
                # Its first frame: the pointer's resting place is taken once it draws.
                wait_for("the saver's first frame", lambda: lit(shot(window)), 60)
                focus(window)
                run(["xdotool", "mousemove_relative", "--", str(jolt[0]), str(jolt[1])])
                time.sleep(1)
                check(process.poll() is None, "the saver covers the %d x %d screen and a jolt of "
                      "the pointer leaves it" % screen)
                run(["xdotool"] + end)
                check_exit(process, what, timeout=10)
            finally:
                run(["xdotool", "keyup", "space"], check_rc=False)
                stop(process)
    finally:
        stop(manager)


def pages(program):
    """The address each option hands to xdg-open, which stands in for the
    user's browser here."""
    with tempfile.TemporaryDirectory() as bin_dir:
        log = os.path.join(bin_dir, "opened")
        recording_script(os.path.join(bin_dir, "xdg-open"), log)
        env = dict(os.environ, PATH=bin_dir + os.pathsep + os.environ["PATH"])
        for option, query in [("--homepage", "?page=Windows/Tools/Ringvoyage/1"),
                              ("--donate", "?seite=PayPal&Program=Ringvoyage")]:
            address = "https://ringvoyage.example/" + query
            result = subprocess.run([program, option], env=env, stdout=subprocess.PIPE,
                                    text=True, timeout=30)
            opened = wait_for("xdg-open", lambda: os.path.exists(log) and open(log).read(), 10)
            os.remove(log)
            check(result.returncode == 0 and opened == address + "\n",
                  "%s opens %s" % (option, opened.strip()))


def readouts(process, window, count, seen):
    """The next `count` readouts in the title, as frame rates."""
    def fresh():
        if process.poll() is not None:
            raise Failure("the program ended (%d)" % process.returncode)
        text = title(window)
        if READOUT.match(text) and text != seen[-1]:
            seen.append(text)
        return len(seen) > count
    seen[:] = seen[-1:]
    wait_for("%d readouts" % count, fresh, 30)
    return [float(t.split()[-2]) for t in seen[1:]]


def bare_window(program, stdout, what, check_f11=False):
    """Runs the program with --fps on the display as it is; the picture must
    go on (fresh readouts in the title) and SIGTERM end it."""
    close = stdout == "closed"
    process = subprocess.Popen([program, "--fps"], stdin=subprocess.DEVNULL,
                               stdout=None if close else stdout,
                               preexec_fn=(lambda: os.close(1)) if close else None)
    if stdout == subprocess.PIPE:
        process.stdout.close()  # the reader has gone
    try:
        window = find_window(process, "the window")
        seen = [""]
        before = readouts(process, window, 3, seen)
        log("ok: %s: the picture goes on (%s FPS)" % (what, before))
        if check_f11:
            press(window, *(["F11"] * 81))
            after = readouts(process, window, 2, seen)
            check(min(after) > sorted(before)[1] / 4 and size(window) == (800, 600),
                  "with no window manager F11 holds up no frames (%s FPS before, %s after)"
                  % (before, after))
        process.terminate()
        check_exit(process, "%s: SIGTERM" % what, timeout=30)
    finally:
        run(["xdotool", "keyup"] + KEYS, check_rc=False)
        if process.poll() is None:
            process.kill()
            process.wait()


def options_scenario(program):
    pages(program)
    bare_window(program, "closed", "stdout closed")
    bare_window(program, subprocess.PIPE, "stdout a pipe nobody reads",
                check_f11=not has_window_manager())


def main():
    scenario, program = sys.argv[1], sys.argv[2]
    return driver_status({"window": window_scenario, "saver": saver_scenario,
                          "options": options_scenario}[scenario], program)


if __name__ == "__main__":
    sys.exit(main())
