// The main window's record and the frame clock, shared by the renderer and
// the Win32 host.
#pragma once

#include <windows.h>

#include <cstdint>

#include "frame_clock.h"

// Window class name and first title; the frame-rate readout starts with it.
constexpr char kProgramTitle[] = " Ringvoyage";

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
};

// Module instance, zero at program start, program lifetime.
extern WindowState windowState;
