// Drawing into an X window made by another program: the screen-saver
// daemon's window or its settings preview. The X11 parts SDL leaves out.
#pragma once

#include <SDL.h>

#include <cstdint>

// Whether `id` names a window on the display. When not, one line on stderr:
// SDL would otherwise die of the X error with several lines of its own.
bool foreignWindowExists(uint64_t id);

// The display's root window; 0 (after one line) when no X server answers.
uint64_t rootWindowOfDisplay();

// After SDL_CreateWindowFrom: SDL selects no input on a foreign window, so
// it would never see a resize; this asks the server for the window's
// structure events, and SDL for the raw ones among them.
void watchForeignWindow(SDL_Window* window);

// Notes the watched window's destruction (the daemon's window goes as a
// mode ends; the settings preview's as the user picks another mode).
void noteSystemEvent(const SDL_SysWMmsg* message);

// True once the watched window has been destroyed.
bool foreignWindowGone();
