// Drawing into an X window made by another program: the screen-saver
// daemon's window or its settings preview. The X11 parts SDL leaves out.
#pragma once

#include <SDL.h>

#include <cstdint>

// Whether `id` names a window on the display. When not, one line on stderr:
// SDL would otherwise die of the X error with several lines of its own. A
// window the daemon handed over (XSCREENSAVER_WINDOW) that is already gone
// only means the daemon has moved on: it counts as gone, and nothing is said.
bool foreignWindowExists(uint64_t id, bool handedOver);

// The display's root window; 0 (after one line) when no X server answers.
uint64_t rootWindowOfDisplay();

// Before SDL_Init, so that SDL hands errors on to it and puts it back for
// its own shutdown: X errors about `window` (0 when the program has its own)
// mean it has gone; foreignWindowGone() turns true, and the program ends
// quietly. Other errors are let pass until startDone() and after the window
// has gone, so that a start that fails says so in one line rather than in
// Xlib's dump; otherwise they end the program as Xlib's handler does.
void catchXErrors(uint64_t window);

// The start is over: errors that concern no window of ours end the program.
void startDone();

// Whether a window manager runs on the window's display, one that can make a
// window fullscreen (EWMH).
bool windowManagerRuns(SDL_Window* window);

// After SDL_CreateWindowFrom: SDL selects no input on a foreign window, so
// it would never see a resize; this asks the server for the window's
// structure events, and SDL for the raw ones among them.
void watchForeignWindow(SDL_Window* window);

// Notes the watched window's destruction (the daemon's window goes as a
// mode ends; the settings preview's as the user picks another mode).
void noteSystemEvent(const SDL_SysWMmsg* message);

// True once the watched window has been destroyed.
bool foreignWindowGone();

// After a step of the start failed: whether the window has gone meanwhile,
// which is then no failure. SDL's own error handlers, in force while it
// makes the context, keep the errors that would have said so from us.
bool foreignWindowVanished();
