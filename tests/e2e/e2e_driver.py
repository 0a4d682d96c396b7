#!/usr/bin/env python3
"""End-to-end checks of Ringvoyage.exe: the real program under Wine on the X
display, driven by XTEST keys (xdotool) and by menu commands posted with the
send_command helper. One scenario per run; exit status 0 means it passed.

Every scenario starts a fresh program, releases the keys it may have pressed
and kills what is left of the program at the end, so that one failure does not
leave a stuck key or a stray window for the next test.
"""

import argparse
import contextlib
import os
import re
import signal
import subprocess
import sys
import time

TITLE = " Ringvoyage"
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "drivers"))
from e2e_support import (READOUT, Failure, check, check_exit, cpu_share,  # noqa: E402
                         display_size, driver_status, find_window, focus, geometry, log,
                         luminance, recording_script, run, screenshot, title, visible_windows,
                         wait_for, wait_for_tunnel, wall_share)

# Keys any scenario may press; all are released at the end.
KEYS = ["Escape", "plus", "minus", "space", "F11", "KP_Add", "KP_Subtract"]


def client_window_of(window):
    """The X child window Wine renders a GL client area into (the window
    itself when Wine made none): the largest child."""
    out = run(["xwininfo", "-children", "-id", window])
    children = re.findall(r"^\s+(0x[0-9a-f]+) .*?(\d+)x(\d+)\+", out, re.M)
    if not children:
        return window
    return max(children, key=lambda c: int(c[1]) * int(c[2]))[0]


def reg(options, *args, check_rc=True):
    """Wine's reg command in the test's prefix."""
    return run([options.wine_run, "reg"] + [str(a) for a in args], timeout=60, check_rc=check_rc)


def kill_group(process):
    """Ends a helper started in a session of its own, and all it started."""
    if process.poll() is None:
        os.killpg(process.pid, signal.SIGKILL)
    process.wait(timeout=30)


class Program:
    """One run of Ringvoyage.exe under Wine, with its top-level X window."""

    def __init__(self, options, env=None, command=None, log_name="program.stderr"):
        self.options = options
        self.stderr_path = os.path.join(options.workdir, log_name)
        self.stderr_file = open(self.stderr_path, "w")
        # Own session: Wine's helpers must not hold our output open, and the
        # whole group can be killed at the end.
        self.process = subprocess.Popen(command or [options.wine_run, options.exe],
                                        stdin=subprocess.DEVNULL,
                                        stdout=self.stderr_file, stderr=self.stderr_file,
                                        env=env, start_new_session=True)
        self.window = None

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.cleanup()

    def find_window(self, timeout=60):
        self.window = find_window(self.process, timeout=timeout)
        return self.window

    def title(self):
        return title(self.window)

    def geometry(self):
        """(x, y, width, height) of the top-level X window."""
        return geometry(self.window)

    def client_size(self):
        return geometry(client_window_of(self.window))[2:]

    def screenshot(self, name):
        return screenshot(client_window_of(self.window), os.path.join(self.options.workdir, name))

    def alive(self):
        return self.process.poll() is None

    def wait_readout(self, after=None, what="its start", timeout=30):
        """The first readout in the title that is not `after`."""

        def readout():
            if not self.alive():
                raise Failure("program ended after %s (exit code %d)" %
                              (what, self.process.returncode))
            text = self.title()
            return text if READOUT.match(text) and text != after else None

        return wait_for("a new readout after %s" % what, readout, timeout)

    def check_still_animating(self, what, timeout=20):
        """The program runs and replaces its readout with a new one."""
        first = self.wait_readout(what=what)
        second = self.wait_readout(first, what, timeout)
        log("ok: still animating after %s (%r -> %r)" % (what, first, second))

    def key(self, *keys):
        focus(self.window)
        run(["xdotool", "key", "--delay", "40"] + list(keys))

    def send_command(self, command, *arguments, window=None):
        target = ["-w", str(window)] if window else []
        result = subprocess.run([self.options.wine_run, self.options.send_command] + target +
                                [str(command)] + [str(a) for a in arguments],
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT, timeout=60, text=True)
        check(result.returncode == 0,
              "send_command %s reached the window (exit code %d %s)" %
              (command, result.returncode, result.stdout.strip()))

    def cpu_share(self, seconds=4):
        return cpu_share(self.process.pid, seconds)

    def output(self):
        with open(self.stderr_path, errors="replace") as f:
            return f.read()

    def wait_exit(self, timeout):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure("program still running %g s later" % timeout)

    def check_exit(self, what, code=0, timeout=60):
        check_exit(self.process, what, code, timeout)

    def cleanup(self):
        if self.alive():
            subprocess.run([self.options.wine_run, self.options.send_command, "close"],
                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=60)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass
        # Whatever the program started (a browser for the web pages) goes too.
        try:
            os.killpg(self.process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        if self.alive():
            self.process.wait(timeout=10)
        self.stderr_file.close()


def wait_for_pictures(program, name, wanted, timeout=30):
    """Waits until the picture changes by less than 1.0 (wanted "still") or by
    more than 4.0 (wanted "moving") mean difference per 0.7 s. The change is
    taken per second between the two shots: on a loaded machine a screenshot
    takes far longer, and a longer span must not pass for faster motion."""

    def shot(n):
        begun = time.monotonic()
        picture = program.screenshot("%s-%d.png" % (name, n))
        return picture, (begun + time.monotonic()) / 2

    shots = [shot(0)]

    def settled():
        time.sleep(0.7)
        (last, last_at), (picture, at) = shots[-1], shot(len(shots))
        shots.append((picture, at))
        rate = picture.mean_difference(last) / (at - last_at) * 0.7
        return rate < 1.0 if wanted == "still" else rate > 4.0

    wait_for("a %s picture (%s)" % (wanted, name), settled, timeout, interval=0)


def exit_by_menu(program):
    """The menu's Exit ends the program with exit code 0."""
    program.send_command(40003)
    program.check_exit("menu Exit")


def scenario_startup(program):
    """Window, title, readout, debugger output and a picture of the tunnel."""
    program.find_window()
    text = program.title()
    # The readout may already have replaced the initial title.
    check(text == TITLE or READOUT.match(text), "initial title %r" % text)
    log("ok: title turned into the readout %r" % program.wait_readout())
    width, height = program.geometry()[2:]
    check(abs(width - 800) <= 2 and abs(height - 600) <= 2,
          "window is 800x600 (%dx%d)" % (width, height))

    shot = program.screenshot("startup.png")
    border, centre = shot.border_and_centre()
    border_light, centre_light, wall = luminance(border), luminance(centre), wall_share(border)
    log("picture %dx%d: border luminance %.1f, centre %.1f, wall-coloured border %.0f%%" %
        (shot.width, shot.height, border_light, centre_light, 100 * wall))
    check(border_light > 60, "the picture is not black near the edges")
    check(wall > 0.6, "the edges show the wall's yellow-green and brown")
    check(centre_light < 0.75 * border_light,
          "the tunnel is darker in the middle than at the edges")

    program.send_command("close")
    program.check_exit("closing the window")
    check(re.search(r"PixelFormat Selected: \d+\\nBPP: \d+\\n", program.output()) is not None,
          "the pixel format is reported on the debugger output")


def scenario_keys(program):
    """"-" slows the journey down to a standstill and "+" speeds it up again,
    from the main keys and from the keypad; space is taken without a hitch;
    the program keeps running throughout."""
    wait_for_pictures(program, "start", "moving")
    # 30 times "-" take 8000 units/s down to the lower bound, 15.625 units/s
    # (a ring every 16 s): a picture that no longer visibly moves. 30 times
    # "+" from there reach 512,000 units/s, and 30 times "-" the bound again.
    for slower, faster, name in (("minus", "plus", "main"), ("KP_Subtract", "KP_Add", "keypad")):
        program.key(*([slower] * 30))
        wait_for_pictures(program, "slow-" + name, "still")
        log("ok: thirty '-' (%s keys) stop the visible motion" % name)
        program.check_still_animating("'-' (%s keys)" % name)
        program.key(*([faster] * 30))
        wait_for_pictures(program, "fast-" + name, "moving")
        log("ok: thirty '+' (%s keys) make the tunnel move again" % name)
    program.key("space")
    program.check_still_animating("space")
    program.key("space")
    program.check_still_animating("a second space")
    exit_by_menu(program)


def check_fullscreen(program, how):
    screen_w, screen_h = display_size()

    def covers():
        x, y, w, h = program.geometry()
        return (x, y, w, h) if (x <= 0 and y <= 0 and x + w >= screen_w and y + h >= screen_h and
                                w <= screen_w + 4 and h <= screen_h + 4) else None

    x, y, w, h = wait_for("the window to cover the %dx%d screen" % (screen_w, screen_h), covers, 15)
    log("ok: %s: the window covers the screen (%dx%d at %d,%d)" % (how, w, h, x, y))
    cw, ch = program.client_size()
    check(cw >= screen_w and ch >= screen_h,
          "%s: no frame, caption or menu, the client area is %dx%d" % (how, cw, ch))
    program.check_still_animating(how)


def check_windowed(program, how, framed_geometry):
    wait_for("the window to return to %r" % (framed_geometry,),
             lambda: program.geometry() == framed_geometry, 15)
    log("ok: %s: the window is back at %dx%d" % (how, framed_geometry[2], framed_geometry[3]))
    cw, ch = program.client_size()
    check(cw < framed_geometry[2] and ch < framed_geometry[3] - 20,
          "%s: frame, caption and menu are back (client %dx%d)" % (how, cw, ch))
    program.check_still_animating(how)


def check_maximised(program, how):
    """The window covers the screen with its caption and menu: maximised."""
    screen_w, screen_h = display_size()

    def maximised():
        x, y, w, h = program.geometry()
        return (x <= 0 and y <= 0 and x + w >= screen_w and y + h >= screen_h and
                program.client_size()[1] < screen_h - 20)

    wait_for("the window to be maximised, framed (%s)" % how, maximised, 15)
    log("ok: %s: the window is maximised, with caption and menu" % how)
    program.check_still_animating(how)


def scenario_fullscreen(program):
    """F11 and the Fullscreen command switch to a borderless screen-covering
    window and back to the framed 800x600 one. Chosen while minimised or
    maximised, a restore shows the fullscreen picture, and leaving it gives
    the window back as it was."""
    framed = program.geometry()
    check(abs(framed[2] - 800) <= 2 and abs(framed[3] - 600) <= 2,
          "window starts at 800x600 (%dx%d)" % framed[2:])
    program.key("F11")
    check_fullscreen(program, "F11")
    border, _ = program.screenshot("fullscreen.png").border_and_centre()
    check(luminance(border) > 60, "the fullscreen picture is not black")
    program.key("F11")
    check_windowed(program, "second F11", framed)
    program.send_command(40001)
    check_fullscreen(program, "Fullscreen command")
    program.send_command(40001)
    check_windowed(program, "second Fullscreen command", framed)

    for before in (["minimize"], ["maximize"], ["maximize", "minimize"]):
        how = "Fullscreen after %s, then restore" % " and ".join(before)
        for command in before + [40001, "restore"]:
            program.send_command(command)
        check_fullscreen(program, how)
        program.send_command(40001)
        if "maximize" in before:
            check_maximised(program, "leaving the " + how)
            program.send_command("restore")
        check_windowed(program, "back from the " + how, framed)


# What the menu's web pages must open.
HOME_PAGE = "https://ringvoyage.example/?page=Windows/Tools/Ringvoyage/1"
DONATE_PAGE = "https://ringvoyage.example/?seite=PayPal&Program=Ringvoyage"
BROWSER_KEY = r"HKCU\Software\Wine\WineBrowser"


class RecordingBrowser:
    """Makes Wine's browser launcher run a script that records the address it
    is given, in place of a real browser, for as long as the block lasts."""

    def __init__(self, options):
        self.options = options
        self.log_path = os.path.join(options.workdir, "opened-addresses.txt")

    def __enter__(self):
        if os.path.exists(self.log_path):
            os.remove(self.log_path)
        script = os.path.join(self.options.workdir, "record-address.sh")
        recording_script(script, self.log_path)
        reg(self.options, "add", BROWSER_KEY, "/v", "Browsers", "/t", "REG_SZ", "/d", script, "/f")
        return self

    def __exit__(self, *_):
        reg(self.options, "delete", BROWSER_KEY, "/v", "Browsers", "/f")

    def opened(self):
        try:
            with open(self.log_path) as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []


def scenario_menu(program):
    """Homepage and Donate open their addresses in the browser; Faster and
    Slower leave the program running; Exit ends it."""
    with RecordingBrowser(program.options) as browser:
        for command, name, address in ((40002, "Homepage", HOME_PAGE),
                                       (40004, "Donate", DONATE_PAGE)):
            before = len(browser.opened())
            program.send_command(command)
            opened = wait_for("the browser to be given the %s address" % name,
                              lambda: browser.opened()[before:], 30)
            check(opened == [address], "menu %s opens %s (%r)" % (name, address, opened))
            program.check_still_animating("menu %s" % name)
        for command, name in ((40005, "Faster"), (40006, "Slower")):
            program.send_command(command)
            program.check_still_animating("menu %s" % name)
        exit_by_menu(program)


def scenario_hold_keys(program):
    """Auto-repeated "+" and then "-" for seconds: no crash, no hang."""
    for key in ("plus", "minus"):
        focus(program.window)
        run(["xdotool", "keydown", key])
        try:
            time.sleep(4)
        finally:
            run(["xdotool", "keyup", key])
        program.check_still_animating("holding %s for 4 s" % key)
    exit_by_menu(program)


def scenario_escape(program):
    """Esc ends the journey; the program closes by itself with exit code 0."""
    program.key("Escape")
    program.check_exit("Esc, by itself")


def scenario_close(program):
    """Closing the window (WM_CLOSE) ends the program with exit code 0; an
    unknown command id is ignored."""
    program.send_command(40099)
    program.check_still_animating("an unknown command")
    program.send_command("close")
    program.check_exit("closing the window")


def readout_rate(text):
    return float(text.rsplit(" - ", 1)[1].split()[0])


def scenario_rest(program):
    """Minimised or 0 pixels high, the program waits instead of drawing; the
    first readout after a rest counts only the frames since; Fullscreen while
    minimised keeps the normal rectangle; Esc ends the program even when its
    fly-out cannot be seen."""
    before = readout_rate(program.wait_readout())
    program.send_command("minimize")
    time.sleep(0.5)
    share = program.cpu_share()
    check(share < 0.1, "minimised, the program rests (%.2f of a core)" % share)
    last = program.title()
    program.send_command("restore")
    after = readout_rate(program.wait_readout(last, "the rest", 20))
    check(after > before / 3, "the first readout after 4 s minimised is %g FPS (%g before)" %
          (after, before))

    program.send_command("size", 400, 27)
    time.sleep(0.5)
    share = program.cpu_share()
    check(program.geometry()[3] <= 30 and share < 0.1,
          "0 pixels high, the program rests (%.2f of a core)" % share)
    program.send_command("size", 800, 600)
    program.check_still_animating("getting its size back")

    # Posted messages are handled in order; the readouts show that the last
    # one has been, and that the window has client area again.
    normal = program.geometry()
    for command in ("minimize", 40001, "restore", 40001):
        program.send_command(command)
    program.check_still_animating("Fullscreen twice around a minimise")
    check(program.geometry() == normal, "Fullscreen while minimised returns to the normal window "
          "%r (%r)" % (normal, program.geometry()))

    # Slow enough that the fly-out would take half a minute to watch.
    program.key(*(["minus"] * 10))
    program.key("Escape")
    program.send_command("minimize")
    program.check_exit("Esc, then a minimise", timeout=15)


def scenario_error_box(program):
    """Without OpenGL the start-up error box waits for OK without a paint
    storm behind it; OK ends the program with exit code 1."""
    display = program.options.display

    def error_box():
        if not program.alive():
            raise Failure("program ended (exit code %d)" % program.process.returncode)
        return visible_windows("^Error$", program.process.pid, display)

    box = wait_for("the \"Error\" box", error_box, 60)[0]
    share = program.cpu_share()
    check(share < 0.1, "while the box waits, the program rests (%.2f of a core)" % share)
    focus(box, display)
    run(["xdotool", "key", "Return"], env_display=display)
    program.check_exit("OK on the box", 1, 30)


def start_saver(options, *arguments, env=None, log_name="program.stderr"):
    return Program(options, dict(os.environ, **(env or {})),
                   [options.wine_run, options.scr] + [str(a) for a in arguments], log_name)


# Wine's trace of the X events a program handles and of its windows, with
# timestamps of Wine's tick count: CLOCK_MONOTONIC_RAW in milliseconds.
EVENT_TRACE = {"WINEDEBUG": "-all,+timestamp,+event,+x11drv"}


def reaction_times(output, event):
    """Wine's tick times (s) at which a program handled its first X `event`
    (KeyPress, ButtonPress) and then unmapped a window, by its own trace."""
    stamp = r"^(\d+\.\d+):\w+:trace:"
    got = re.search(stamp + r"event:call_event_handler \d+ %s " % event, output, re.M)
    gone = got and re.compile(stamp + r"x11drv:unmap_window ", re.M).search(output, got.end())
    if not gone:
        raise Failure("no %s followed by an unmapped window in the trace" % event)
    return float(got.group(1)), float(gone.group(1))


def check_input_ends_saver(options, what, event, *xdotool):
    with start_saver(options, "/s", env=EVENT_TRACE) as saver:
        focus(saver.find_window())
        sent = time.clock_gettime(time.CLOCK_MONOTONIC_RAW)  # Wine's clock
        run(["xdotool"] + list(xdotool))
        saver.check_exit(what, timeout=15)
        # Timed by the saver's own trace from the input it received: polling
        # for the window would add a loaded machine's delays. Before that, a
        # full-screen frame in progress may hold the input on such a machine
        # (0.6 s seen), so only a frame pacing that sleeps through it is told.
        handled, gone = reaction_times(saver.output(), event)
        check(gone - handled < 0.5 and 0 <= handled - sent < 2, "%s takes the saver off the "
              "screen at once (%.3f s, received %.3f s after it was sent)" %
              (what, gone - handled, handled - sent))


def scenario_saver_run(first):
    """/s covers the whole screen with the tunnel and no menu or readout; a
    second /s starts no second saver; a mouse move beyond a little jitter
    ends it with 0, and so do a key, a click, the wheel and another window
    taking the activation."""
    first.find_window()
    screen_w, screen_h = display_size()
    x, y, w, h = first.geometry()
    check(x <= 0 and y <= 0 and x + w >= screen_w and y + h >= screen_h,
          "the saver covers the %dx%d screen (%d,%d %dx%d)" % (screen_w, screen_h, x, y, w, h))
    cw, ch = first.client_size()
    check(cw >= screen_w and ch >= screen_h, "its client area covers the screen (%dx%d)" % (cw, ch))
    wait_for_tunnel(lambda: first.screenshot("saver.png"), "the saver")
    second = subprocess.run([first.options.wine_run, first.options.scr, "/s"],
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, timeout=60)
    check(second.returncode == 0 and first.alive(),
          "a second /s ends at once (%d) and the first runs on" % second.returncode)
    check(first.title() == TITLE, "no readout in the saver's title (%r)" % first.title())
    run(["xdotool", "mousemove_relative", "--", "1", "1"])
    time.sleep(1.5)
    check(first.alive(), "a one-pixel jitter of the mouse leaves the saver running")
    # Just beyond the 4-pixel allowance, in one direction only.
    run(["xdotool", "mousemove_relative", "--", "5", "0"])
    first.check_exit("a mouse move", timeout=15)

    check_input_ends_saver(first.options, "a key", "KeyPress", "key", "a")
    check_input_ends_saver(first.options, "a mouse click", "ButtonPress", "click", "1")
    check_input_ends_saver(first.options, "the mouse wheel", "ButtonPress", "click", "4")

    # Another program's window takes the activation: the saver ends while
    # that window is still there, not once the activation comes back.
    with start_saver(first.options, "/s") as deactivated:
        deactivated.find_window()
        host, _, _ = start_preview_host(first.options, 30)
        try:
            code = deactivated.wait_exit(15)
            check(code == 0 and host.poll() is None,
                  "losing activation ends the saver with exit code 0 (%d)" % code)
        finally:
            kill_group(host)


def start_preview_host(options, seconds):
    """A preview host window; returns its process, its handle and the
    desktop window's handle."""
    host = subprocess.Popen([options.wine_run, options.preview_host, str(seconds)],
                            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, text=True, start_new_session=True)
    handle, desktop = host.stdout.readline().strip(), host.stdout.readline().strip()
    check(handle.isdigit() and desktop.isdigit(),
          "the preview host names its window and the desktop (%r, %r)" % (handle, desktop))
    return host, handle, desktop


def lit_edge(picture, edge):
    """Whether the tenth of a picture at its right or bottom edge shows the walls."""
    w, h = picture.width, picture.height
    return wall_share(list(picture.region(*((w - w // 10, 0, w, h) if edge == "right" else
                                            (0, h - h // 10, w, h))))) > 0.6


DEBUG_KEY = r"HKCU\Software\Wine\Debug"
# Traced by +relay: the preview's waits for a frame slot, with their timeouts.
FRAME_WAIT = re.compile(r"Call user32\.MsgWaitForMultipleObjectsEx\(\w+,\w+,(\w+),")


def check_frame_cap(program, preview, handle):
    """Shrunk to a strip, the preview could draw far more frames a second
    (as the program drawing the same size beside it shows): it keeps to the
    display's 60 Hz. Its waits for a frame slot last up to most of a 60 Hz
    frame, and none is one of 0 ms, which would poll."""
    options = program.options
    program.send_command("size", 160, 60, window=handle)
    with Program(options, dict(os.environ, WINEDEBUG="-all,+wgl"), None,
                 "baseline.stderr") as baseline:
        baseline.find_window()
        baseline.send_command("size", 160, 80)
        time.sleep(1)

        def swaps():
            return [p.output().count("SwapBuffers") for p in (preview, baseline)]

        before, begun = swaps(), time.monotonic()
        time.sleep(3)
        capped, free = [(after - b) / (time.monotonic() - begun)
                        for after, b in zip(swaps(), before)]
    check(capped <= 75, "the preview keeps to the display's 60 Hz (%.1f/s; the program beside "
          "it %.0f/s)" % (capped, free))
    # A machine too busy to outrun 60 Hz hides a missing cap from the rates,
    # not from the waits: a frame done early waits for the rest of its 1/60 s
    # (a doubled cap would never wait 10 ms), and never 0 ms.
    waits = [int(timeout, 16) for timeout in FRAME_WAIT.findall(preview.output())] or [0]
    check(min(waits) > 0 and max(waits) >= 10, "the preview waits for its frame slots and never "
          "polls (%d waits, %d of 0 ms, longest %d ms)" %
          (len(waits), waits.count(0), max(waits)))
    program.send_command("size", 336, 279, window=handle)


def scenario_saver_preview(program):
    """/p draws the tunnel inside the given window, following its width and
    its height and resting while it is minimised or hidden, at most 60
    frames a second; a /s beside it runs; /p ends with 0 once that window is
    gone, be it closed or its process killed; a handle that names no
    window, or the desktop's, ends it quietly with 1."""
    options = program.options
    host, handle, desktop = start_preview_host(options, 120)
    try:
        with start_saver(options, "/p", handle, env={"WINEDEBUG": "-all,+wgl"}) as preview:
            # Closed once the preview draws: a slow start must not find it gone.
            wait_for("the preview's first frame", lambda: "SwapBuffers" in preview.output(), 60)
            program.send_command("close", window=handle)
            preview.check_exit("closing the preview's window", timeout=30)
    finally:
        host.wait(timeout=30)

    host, handle, desktop = start_preview_host(options, 120)
    # Wine's +wgl trace logs each swap, so the frames can be counted.
    reg(options, "add", DEBUG_KEY, "/v", "RelayInclude", "/d", "user32.MsgWaitForMultipleObjectsEx",
        "/f")
    preview = start_saver(options, "/p", handle, env={"WINEDEBUG": "-all,+wgl,+relay"},
                          log_name="preview.stderr")
    try:
        host_window = wait_for("the preview host's window",
                               lambda: visible_windows("^Preview host$"), 30)[0]

        def host_shot():
            return screenshot(client_window_of(host_window),
                              os.path.join(options.workdir, "preview.png"))

        wait_for_tunnel(host_shot, "the preview")
        check_input_ends_saver(options, "during a preview, /s runs and a key", "KeyPress",
                               "key", "a")
        check_frame_cap(program, preview, handle)
        # Resting is waiting for messages: no frames, and no waits for a frame.
        for hide, show in (("minimize", "restore"), ("hide", "show")):
            program.send_command(hide, window=handle)
            time.sleep(1)
            before = preview.output()
            share = preview.cpu_share()
            after = preview.output()
            frames = after.count("SwapBuffers") - before.count("SwapBuffers")
            waits = len(FRAME_WAIT.findall(after)) - len(FRAME_WAIT.findall(before))
            check(share < 0.05 and frames + waits <= 2, "behind a host after %s the preview rests "
                  "(%.2f of a core, %d frames, %d frame waits)" % (hide, share, frames, waits))
            program.send_command(show, window=handle)
        # The host is killed just after its height is followed: the next look
        # at it comes within the check's period, whatever the machine's load.
        for width, height, edge in ((600, 279, "right"), (600, 450, "bottom")):
            program.send_command("size", width, height, window=handle)
            wait_for("the preview to follow its host's %s edge" % edge,
                     lambda: lit_edge(host_shot(), edge), 15, interval=0.05)
            log("ok: the preview follows its host to %dx%d" % (width, height))
        os.killpg(host.pid, signal.SIGKILL)
        begun = time.monotonic()
        code = preview.wait_exit(15)
        took = time.monotonic() - begun
        check(code == 0 and took < 0.75,
              "the preview ends with 0 (%d) %.2f s after its host's kill" % (code, took))
    finally:
        preview.cleanup()
        reg(options, "delete", DEBUG_KEY, "/v", "RelayInclude", "/f", check_rc=False)
        kill_group(host)

    with start_saver(options, "/p", desktop) as on_desktop:
        on_desktop.check_exit("/p of the desktop window", 1, 30)
    program.check_exit("/p with a handle of no window", 1, 30)


SAVER_KEY = r"HKCU\Software\Ringvoyage\Screen saver"


def type_into(window, *keys):
    """Focuses a window and presses keys in it, slowly enough for a dialog."""
    focus(window)
    run(["xdotool", "key", "--delay", "100"] + list(keys))


def saver_dialog(program):
    return wait_for("the settings dialog or box", lambda: visible_windows(
        "^Ringvoyage screen saver$", program.process.pid), 60)[0]


def scenario_saver_settings(program):
    """/c shows the settings dialog with the stored values: Down moves to a
    faster speed up to the fastest, OK stores what is chosen and Esc nothing.
    Arguments nothing understands show a box; OK on it exits with 1."""
    # Three steps faster were stored before.
    type_into(saver_dialog(program), "Down", "Down", "Tab", "space", "Return")
    program.check_exit("OK on the dialog", timeout=30)
    stored = reg(program.options, "query", SAVER_KEY)
    check(re.search(r"Speed steps\s+REG_DWORD\s+0x4\b", stored) and
          re.search(r"Pulse\s+REG_DWORD\s+0x1\b", stored),
          "four steps faster (the last choice) and pulsing rings are stored (%r)" % stored)

    # Esc closes a second dialog; a byte of 0x80 or more is no blank.
    for arguments, key, expected in ((["/c"], "Escape", 0), (["\u00e9"], "Return", 1)):
        with start_saver(program.options, *arguments) as other:
            type_into(saver_dialog(other), key)
            other.check_exit("%s on %r" % (key, arguments), expected, 30)
    again = reg(program.options, "query", SAVER_KEY)
    check(again == stored, "nothing more is stored (%r)" % again)


sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "frames"))
import make_pictures  # noqa: E402


def scenario_saver_picture(program):
    """The settings dialog's "Picture..." takes a file through the system's
    open dialog; OK stores its path and /s shows it on the walls. A stored
    picture that cannot be used gives the built-in tile, and stays stored."""
    folder = os.path.join(program.options.workdir, "pictures")
    make_pictures.main(folder)
    blue = os.path.join(folder, "blue.png")
    with open(blue, "wb") as out:
        out.write(make_pictures.solid_png(90, 50, (30, 60, 230, 255)))
    type_into(saver_dialog(program), "Tab", "Tab", "space")  # Picture...
    chooser = wait_for("the open dialog",
                       lambda: visible_windows("^Picture for the tunnel walls$"), 60)[0]
    focus(chooser)
    time.sleep(0.5)
    run(["xdotool", "type", "--delay", "20", "Z:" + blue.replace("/", "\\")])
    run(["xdotool", "key", "Return"])
    wait_for("the open dialog to close",
             lambda: not visible_windows("^Picture for the tunnel walls$"), 30)
    type_into(saver_dialog(program), "Tab", "Tab", "Return")  # past Built-in tile to OK
    program.check_exit("OK on the dialog", timeout=30)
    stored = reg(program.options, "query", SAVER_KEY)
    check(re.search(r"Picture\s+REG_SZ\s+Z:.*blue\.png", stored),
          "the picture's path is stored (%r)" % stored)

    with start_saver(program.options, "/s") as saver:
        saver.find_window()
        seen = []

        def blue_walls():
            border, _ = saver.screenshot("picture.png").border_and_centre()
            seen[:] = [sum(1 for r, g, b in border if b >= r + 40 and b >= g + 40) / len(border)]
            return seen[0] > 0.6

        wait_for("/s to show the blue picture on the walls", blue_walls, 30, interval=0.3)
        log("ok: /s shows the blue picture on the walls (%.0f%% of the border blue)" %
            (100 * seen[0]))
    damaged = "Z:" + os.path.join(folder, "damaged.png").replace("/", "\\")
    reg(program.options, "add", SAVER_KEY, "/v", "Picture", "/t", "REG_SZ", "/d", damaged, "/f")
    with start_saver(program.options, "/s") as saver:
        saver.find_window()
        wait_for_tunnel(lambda: saver.screenshot("damaged.png"),
                        "/s with a damaged picture stored (the built-in tile)")
    kept = reg(program.options, "query", SAVER_KEY)
    check("damaged.png" in kept, "the damaged picture's path stays stored (%r)" % kept)


def scenario_no_display(program):
    """Without a reachable X display the window cannot be created: the program
    ends by itself with exit code 1 instead of reporting success."""
    program.check_exit("a start without a display", 1)


# Runs the program with DISPLAY naming another display; Wine itself is set up
# on the working display first.
OTHER_DISPLAY_COMMAND = ('source "$1" && ringvoyage_wine_select "$2" && ringvoyage_wine_setup && '
                         'DISPLAY="$3" exec "$RINGVOYAGE_WINE_LOADER" "$4"')


def answers(display):
    return subprocess.run(["xdpyinfo", "-display", display], stdin=subprocess.DEVNULL,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          timeout=15).returncode == 0


def free_display():
    return next(d for d in (":%d" % n for n in range(1999, 1900, -1)) if not answers(d))


def other_display_command(options, display):
    env_script = os.path.join(os.path.dirname(os.path.abspath(options.wine_run)), "wine-env.sh")
    return ["bash", "-c", OTHER_DISPLAY_COMMAND, "_", env_script, options.wine_arch, display,
            options.exe]


def start_display_without_gl():
    """An X server without the GLX extension: windows, but no OpenGL."""
    display = free_display()
    server = subprocess.Popen(["Xvfb", display, "-screen", "0", "1024x768x24", "-extension",
                               "GLX", "-nolisten", "tcp"], stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for("the display without OpenGL", lambda: answers(display), 30)
    return display, server


SCENARIOS = {
    "startup": scenario_startup,
    "keys": scenario_keys,
    "fullscreen": scenario_fullscreen,
    "menu": scenario_menu,
    "hold_keys": scenario_hold_keys,
    "escape": scenario_escape,
    "exit": exit_by_menu,
    "close": scenario_close,
    "no_display": scenario_no_display,
    "rest": scenario_rest,
    "error_box": scenario_error_box,
    "saver_run": scenario_saver_run,
    "saver_preview": scenario_saver_preview,
    "saver_settings": scenario_saver_settings,
    "saver_picture": scenario_saver_picture,
}
# These start once the program's window shows a readout.
DRAWING = {"keys", "fullscreen", "menu", "hold_keys", "escape", "exit", "close", "rest"}
# The screen saver's scenarios start Ringvoyage.scr with these arguments.
SAVER_ARGUMENTS = {"saver_run": ["/s"], "saver_preview": ["/p", "999999"], "saver_settings": ["/c"],
                   "saver_picture": ["/c"]}


def ensure_display(wine_run):
    """Uses $DISPLAY, or the project's virtual display started as the Wine
    scripts do."""
    if os.environ.get("DISPLAY"):
        return
    env_script = os.path.join(os.path.dirname(os.path.abspath(wine_run)), "wine-env.sh")
    display = run(["bash", "-c", 'source "$1" && ringvoyage_start_xvfb && printf %s "$DISPLAY"',
                   "_", env_script]).strip()
    if not display:
        raise Failure("no X display")
    os.environ["DISPLAY"] = display


def release_input():
    """Releases the keys and puts the pointer in the middle of the screen:
    moves must not drift it into a corner over many runs."""
    run(["xdotool", "keyup"] + KEYS, timeout=15, check_rc=False)
    width, height = display_size()
    run(["xdotool", "mousemove", str(width // 2), str(height // 2)], check_rc=False)


def run_scenario(options, stack):
    """Starts the scenario's program, and leaves its clean-up to the stack."""
    ensure_display(options.wine_run)
    release_input()
    env = dict(os.environ)
    if options.scenario == "startup":
        # Shows the program's debugger output on its stderr.
        env["WINEDEBUG"] = "-all,+debugstr"
    command = None
    if options.scenario == "no_display":
        command = other_display_command(options, free_display())
    elif options.scenario == "error_box":
        options.display, server = start_display_without_gl()
        stack.callback(lambda: server.kill() or server.wait())
        command = other_display_command(options, options.display)
    elif options.scenario in ("saver_picture", "saver_settings"):
        reg(options, "delete", SAVER_KEY, "/f", check_rc=False)
    if options.scenario == "saver_settings":
        reg(options, "add", SAVER_KEY, "/v", "Speed steps", "/t", "REG_DWORD", "/d", "3", "/f")
    if options.scenario in SAVER_ARGUMENTS:
        command = [options.wine_run, options.scr] + SAVER_ARGUMENTS[options.scenario]
    program = stack.enter_context(Program(options, env, command))
    stack.callback(release_input)
    log("program output in %s" % program.stderr_path)
    if options.scenario in DRAWING:
        program.find_window()
        program.wait_readout()
    SCENARIOS[options.scenario](program)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--wine-run", required=True, help="script that runs a Windows program")
    parser.add_argument("--wine-arch", choices=("win32", "win64"), default="win32",
                        help="the Wine architecture that --wine-run uses")
    parser.add_argument("--exe", required=True, help="Ringvoyage.exe")
    parser.add_argument("--send-command", required=True, help="send_command.exe")
    parser.add_argument("--scr", help="Ringvoyage.scr, for the saver scenarios")
    parser.add_argument("--preview-host", help="preview_host.exe, for the saver's preview")
    parser.add_argument("--workdir", required=True, help="directory for screenshots and logs")
    parser.add_argument("scenario", choices=sorted(SCENARIOS))
    options = parser.parse_args()
    os.makedirs(options.workdir, exist_ok=True)
    with contextlib.ExitStack() as stack:
        return driver_status(run_scenario, options, stack)


if __name__ == "__main__":
    sys.exit(main())
