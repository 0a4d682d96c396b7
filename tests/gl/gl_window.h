// One real window with the program's window procedure and its WGL context,
// shared by every test of the executable.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "frame_step.h"

struct ClientSize {
    int32_t width;   // client width in pixels
    int32_t height;  // client height in pixels
};

// The window, created before the first test; its GL context is current.
HWND testWindow();

// The window's journey (windowVoyage), by its parts.
extern TunnelState& tunnel;
extern FrameClock& frameClock;
extern FrameRate& frameRate;
extern Texture& tunnelTexture;

// Back to program start for the window's journey and the window record's
// per-run fields; the window, its context and the texture stay. The clock
// counts microseconds from 0.
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

// One frame step as the window procedure takes it, for the stored client
// size, without swapping: at the clock's last reading (no time passes), or
// `seconds` after the clock's start.
FrameOutcome hostFrame();
FrameOutcome hostFrameAt(double seconds);

// Whether every entry of the projection matrix is a finite number.
bool projectionIsFinite();

// Discards every message waiting for the window.
void drainMessages();
