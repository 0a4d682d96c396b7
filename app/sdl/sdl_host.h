// The SDL host: one window's GL context, its events and its frames. Opening
// the window is the caller's part (main.cpp: a window of its own, or one made
// by another program for the screen-saver mode), so both share all of this.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "saver_settings.h"
#include "tile_image.h"

struct SdlHost {
    SDL_Window* window;     // the window drawn into
    SDL_GLContext context;  // its GL context, current for the program's life
    int32_t width;          // drawable width in pixels
    int32_t height;         // drawable height in pixels
    uint8_t hidden;         // 1 while hidden or minimised
    uint8_t fullscreen;     // 1 while fullscreen on the desktop
    uint8_t quit;           // 1 once the loop is to end
    uint8_t foreign;        // 1 in a window made elsewhere: no keys, title or fullscreen
    uint8_t printRate;      // 1: the frame-rate readout also goes to stdout
    uint8_t saver;          // 1: any key, click, wheel or real pointer motion ends it
    int32_t pointerX;       // where the saver found the pointer, on the desktop
    int32_t pointerY;       //
    TileImage tile;         // the user's picture for the walls; no pixels: the built-in tile
};

// Module instance, zero at program start, program lifetime.
extern SdlHost sdlHost;

// A legacy GL context for `window`, made current, and the scene set up with
// the tile (the user's picture, else the built-in one) and `settings` in
// force. Paced, frames come at most at the display's refresh rate (the swap
// waits for the retrace, or the loop waits where the driver will not);
// otherwise they come as fast as they can. False (with one line on stderr)
// when no context can be made.
bool attachContext(SDL_Window* window, bool paced, const SaverSettings& settings);

// Scene and context go; the window stays the caller's.
void releaseContext();

// Frames and events until the journey or the window ends.
void runFrames();

// Borderless fullscreen on the desktop, and back.
void toggleFullscreen();
