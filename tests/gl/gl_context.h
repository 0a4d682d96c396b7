// One real GL context shared by every renderer test of the executable:
// natively an EGL pbuffer, under Windows the program's window with its WGL
// context. The tests drive one voyage through the frame step.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "frame_step.h"

struct ClientSize {
    int32_t width;   // client width in pixels
    int32_t height;  // client height in pixels
};

// The voyage the tests drive (under Windows the window's own), by its parts.
extern Voyage& testVoyage;
extern TunnelState& tunnel;
extern FrameClock& frameClock;
extern FrameRate& frameRate;
extern Texture& tunnelTexture;

// Back to program start for the voyage (and under Windows the window
// record's per-run fields); the context and the texture stay. The clock
// counts microseconds from 0.
void resetProgramState();

// The drawable's real size, applied as the viewport (under Windows through
// WM_SIZE, as the window procedure would on a resize).
ClientSize useRealClientSize();

// The program's tile picture, as its host hands it to the scene.
TileImage programTile();

// One frame step for a client of `size` `seconds` after the clock's start,
// without swapping.
FrameOutcome hostFrame(ClientSize size, double seconds = 0.0);

// RGB bytes of the back buffer, bottom row first, no row padding.
std::vector<uint8_t> readBackBuffer(int32_t width, int32_t height);

// Whether every entry of the projection matrix is a finite number.
bool projectionIsFinite();

// What any sequence of steps leaves: no GL error, a finite projection, a
// viewport, speed and travel in range, a ring or more, every vertex finite.
::testing::AssertionResult frameWorks();

// Given one argument that is not an option, the executable writes the frozen
// frames into that directory instead of running the tests (frozen_frames.cpp).
int writeFrozenFrames(const char* directory);

// For the frozen frames: the client becomes width x height as a user's resize
// would make it (natively a fresh pbuffer of that size); false with one line
// on stderr when it cannot. Then the program's own frame step, and the swap.
bool sizeClient(int32_t width, int32_t height);
void programFrame();
void swapFrame();
