#!/usr/bin/env python3
"""End-to-end checks of the native program on a Wayland compositor: a
headless sway with two outputs (with_sway.sh), keys typed by wtype,
screenshots by grim, the window tree from swaymsg. No X server.

  window:    the window is lit with the readout in its title; "-" slows the
             picture, F11 makes it full screen, "+" then Esc end it with 0.
  saver:     swayidle starts --saver after 2 idle seconds: both outputs lit,
             the readout at most the display rate, a typed key ends it with 0;
             a jolt of the pointer leaves it, motion, a click or the wheel
             end it with 0 (a virtual pointer: the seat has none).
  wallpaper: --wallpaper lights both outputs' backgrounds at most at the
             display rate, rests while a full-screen window covers both (sway
             then sends it no frame callbacks), ends with 0 on SIGTERM.
"""

import json
import os
import shlex
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "drivers"))
from e2e_support import (PRINTED_READOUT, READOUT, Failure, Image, check,  # noqa: E402
                         check_exit, check_slowed, cpu_share, driver_status, log, stop, wait_for)
from e2e_support import lit as lit_picture  # noqa: E402

OUTPUTS = {"HEADLESS-1": (800, 600), "HEADLESS-2": (640, 480)}
# The outputs' refresh rate for the saver and the wallpaper: low enough that
# frames not held to it would show even on a busy machine.
DISPLAY_RATE = 10
KEY_WAIT = 1500  # ms wtype waits before typing: the client binds its new keyboard first


def run(*args):
    return subprocess.run(list(args), stdout=subprocess.PIPE, timeout=60, check=True).stdout


def shot(output):
    """One output's pixels as RGB bytes (grim's PPM)."""
    picture = Image(run("grim", "-t", "ppm", "-o", output, "-"))
    if (picture.width, picture.height) != OUTPUTS[output]:
        raise Failure("%s is %dx%d" % (output, picture.width, picture.height))
    return picture.pixels


def lit(output):
    return lit_picture(shot(output))


def wtype(*args):
    run("wtype", "-s", str(KEY_WAIT), *args)


def type_text(text):
    """Characters as text: SDL drops keysyms like "minus" typed with -k, and
    after "--" wtype takes everything, "-k" too, for text."""
    wtype("--", text)


def views():
    """Every client window in sway's tree."""
    found = []
    def walk(node):
        if node.get("pid"):
            found.append(node)
        for child in node.get("nodes", []) + node.get("floating_nodes", []):
            walk(child)
    walk(json.loads(run("swaymsg", "-t", "get_tree")))
    return found


def view_of(pid):
    return next((v for v in views() if v["pid"] == pid), None)


def rates(path):
    with open(path) as out:
        return [float(m.group(1)) for m in map(PRINTED_READOUT.match, out.read().splitlines()) if m]


def slow_outputs():
    for output, (width, height) in OUTPUTS.items():
        run("swaymsg", "-q", "--", "output", output, "mode", "--custom",
            "%dx%d@%dHz" % (width, height, DISPLAY_RATE))


def start_window(program):
    """A plain window, tiled on HEADLESS-1, with its readout in the title."""
    run("swaymsg", "-q", "focus", "output", "HEADLESS-1")
    process = subprocess.Popen([program], stdin=subprocess.DEVNULL)
    title = wait_for("the window's readout", lambda: (lambda v: v and READOUT.match(
        v.get("name") or "") and v["name"])(view_of(process.pid)), 60)
    return process, title


def window_scenario(program, *_):
    process = None
    try:
        process, title = start_window(program)
        log("ok: readout in the title: '%s'" % title)
        wait_for("a lit window", lambda: lit("HEADLESS-1"), 20)
        log("ok: the window on HEADLESS-1 is lit")
        check_slowed(lambda: shot("HEADLESS-1"), lambda: type_text("-" * 45))
        wtype("-k", "F11")
        wait_for("full screen", lambda: view_of(process.pid)["fullscreen_mode"] == 1, 10)
        log("ok: F11 makes it full screen")
        # At the slowest speed the fly-out would take minutes: "+" speeds it up.
        type_text("+" * 30)
        wtype("-k", "Escape")
        check_exit(process, "'+' then Esc")
    finally:
        stop(process)


def saver_scenario(program, work, pointer):
    code_file = os.path.join(work, "saver.code")
    out_path = os.path.join(work, "saver.out")
    slow_outputs()
    before = {output: lit(output) for output in OUTPUTS}
    check(not any(before.values()), "nothing lit before the saver")
    command = "%s --saver --fps > %s; echo $? > %s" % (
        shlex.quote(program), shlex.quote(out_path), shlex.quote(code_file))
    idle = subprocess.Popen(["swayidle", "-w", "timeout", "2", command],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        started = time.monotonic()
        wait_for("both outputs lit", lambda: all(lit(o) for o in OUTPUTS), 30)
        log("ok: 2 s idle: the saver lights both outputs after %.1f s"
              % (time.monotonic() - started))
        wait_for("two readouts", lambda: len(rates(out_path)) >= 2, 20)
        # The key goes out KEY_WAIT ms after wtype starts; wtype ends right after it.
        wtype("-k", "space")
        typed = time.monotonic()
        wait_for("the saver's end", lambda: os.path.exists(code_file) and
                 open(code_file).read().strip(), 10)
        took = time.monotonic() - typed
        code = open(code_file).read().strip()
        check(code == "0" and took < 1.5, "a typed key ends it %.2f s later with exit code %s"
              % (took, code))
        seen = rates(out_path)
        check(max(seen) <= DISPLAY_RATE * 1.05, "readouts at most the display rate: %s"
              % ", ".join("%.1f" % r for r in seen))
    finally:
        stop(idle)
    pointer_ends_saver(program, pointer)


def pointer_ends_saver(program, pointer):
    for steps, what in [(["move", "40", "0"], "pointer motion"), (["click"], "a click"),
                        (["wheel"], "the wheel")]:
        process = subprocess.Popen([program, "--saver"], stdin=subprocess.DEVNULL)
        try:
            wait_for("the saver", lambda: lit("HEADLESS-1"), 30)
            if what == "pointer motion":
                run(pointer, "move", "1", "0", "move", "3", "-3")  # it enters, then a jolt
                check(process.poll() is None, "a jolt of the pointer leaves the saver")
            run(pointer, "move", "1", "0", *steps)
            check_exit(process, what, timeout=10)
        finally:
            stop(process)


def wallpaper_scenario(program, work, *_):
    out_path = os.path.join(work, "wallpaper.out")
    process = covering = None
    slow_outputs()
    try:
        with open(out_path, "w") as out:
            process = subprocess.Popen([program, "--wallpaper", "--fps"], stdout=out,
                                       stdin=subprocess.DEVNULL)
        wait_for("both backgrounds lit", lambda: all(lit(o) for o in OUTPUTS), 30)
        log("ok: both outputs' backgrounds are lit")
        wait_for("two readouts", lambda: len(rates(out_path)) >= 2, 20)
        seen = rates(out_path)
        check(max(seen) <= DISPLAY_RATE * 1.05, "readouts at most the display rate: %s"
              % ", ".join("%.1f" % r for r in seen))

        drawing = cpu_share(process.pid, 2)
        # Covered everywhere: one window full screen across both outputs.
        covering, _ = start_window(program)
        run("swaymsg", "-q", "[pid=%d] fullscreen enable global" % covering.pid)
        time.sleep(1)
        resting = cpu_share(process.pid, 3)
        check(resting < 0.02, "covered, it uses %.1f%% of a core (%.1f%% uncovered)"
              % (100 * resting, 100 * drawing))
        stop(covering)
        wait_for("both lit again", lambda: all(lit(o) for o in OUTPUTS), 30)
        log("ok: uncovered, both are lit again")
        process.terminate()
        check_exit(process, "SIGTERM", timeout=10)
    finally:
        stop(covering)
        stop(process)


def main():
    scenario, program, pointer = sys.argv[1:4]
    with tempfile.TemporaryDirectory(dir=os.environ.get("XDG_RUNTIME_DIR")) as work:
        return driver_status({"window": window_scenario, "saver": saver_scenario,
                              "wallpaper": wallpaper_scenario}[scenario], program, work, pointer)


if __name__ == "__main__":
    sys.exit(main())
