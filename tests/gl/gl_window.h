// One real window with the program's window procedure and its WGL context,
// shared by every test of the executable.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

struct ClientSize {
    int32_t width;   // client width in pixels
    int32_t height;  // client height in pixels
};

// The window, created before the first test; its GL context is current.
HWND testWindow();

// Back to program start for tunnel, frame renderer, frame clock and the
// window record's per-run fields; the window and its context stay.
void resetProgramState();

// The window's real client size, also stored and applied as the viewport
// through WM_SIZE, as the window procedure would on a resize.
ClientSize useRealClientSize();

// RGB bytes of the back buffer, bottom row first, no row padding.
std::vector<uint8_t> readBackBuffer(int32_t width, int32_t height);

// The raw 24-bit pixels of a bitmap resource (bottom row first, as stored),
// read without LoadImageA; empty when the resource is missing.
std::vector<uint8_t> bitmapResourcePixels(int32_t id, int32_t& width, int32_t& height);

// Starts the frame clock on the real counter as if the program had started
// `secondsAgo` seconds ago.
void startRealFrameClock(double secondsAgo);

// One frame as the window procedure draws it, without reading the clock or
// swapping: the renderer for the stored client size, then its report acted on.
void hostFrame();

// Discards every message waiting for the window.
void drainMessages();
