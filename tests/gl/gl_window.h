// Under Windows: the program's window, shared by the renderer and window tests.
#pragma once

#include <windows.h>

#include "gl_context.h"

// The window, created before the first test; its GL context is current.
HWND testWindow();

// Starts the frame clock on the real counter as if the program had started
// `secondsAgo` seconds ago.
void startRealFrameClock(double secondsAgo);

// Discards every message waiting for the window.
void drainMessages();
