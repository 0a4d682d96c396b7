// The Win32 host's record of its one window.
#pragma once

#include <windows.h>

#include <cstdint>

#include "voyage.h"

struct WindowState {
    HGLRC glContext;       // GL context, from WM_CREATE to WM_DESTROY
    HDC deviceContext;     // the window's own DC (CS_OWNDC), obtained once, never released
    HMENU savedMenu;       // menu bar put away while fullscreen
    RECT savedRect;        // window rectangle before entering fullscreen, screen coordinates
    uint8_t running;       // 1 while the message loop runs; paints draw only then
    HWND mainWindow;       // the one top-level window
    int32_t clientHeight;  // client height from the last WM_SIZE
    int32_t clientWidth;   // client width from the last WM_SIZE
    int32_t fullscreen;    // 1 while borderless fullscreen, else 0
    uint8_t titleless;     // 1: the readout stays out of the title (the screen saver)
};

// Module instance, zero at program start, program lifetime.
extern WindowState windowState;

// The journey the window shows; the window procedure reaches it here, as
// it reaches windowState.
extern Voyage windowVoyage;
