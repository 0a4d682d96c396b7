// The SDL host: one window's GL context, its events and its frames. Opening
// the window is the caller's part (main.cpp: a window of its own), so a mode
// drawing into a window made elsewhere can share all of this.
#pragma once

#include <SDL.h>

#include <cstdint>

struct SdlHost {
    SDL_Window* window;     // the window drawn into
    SDL_GLContext context;  // its GL context, current for the program's life
    int32_t width;          // drawable width in pixels
    int32_t height;         // drawable height in pixels
    uint8_t hidden;         // 1 while hidden or minimised
    uint8_t fullscreen;     // 1 while fullscreen on the desktop
    uint8_t quit;           // 1 once the loop is to end
};

// Module instance, zero at program start, program lifetime.
extern SdlHost sdlHost;

// A legacy GL context for `window`, made current, frames not waiting for the
// retrace where that can be set, and the scene set up with the built-in
// tile. False (with one line on stderr) when no context can be made.
bool attachContext(SDL_Window* window);

// Scene and context go; the window stays the caller's.
void releaseContext();

// Frames and events until the journey or the window ends.
void runFrames();

// One frame: clock, renderer, readout or end, swap.
void drawOneFrame();

// Borderless fullscreen on the desktop, and back.
void toggleFullscreen();
