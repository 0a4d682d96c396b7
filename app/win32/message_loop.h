// The message loop shared by the program and the screen saver.
#pragma once

#include <windows.h>

// Reads the counter frequency and the start count of the frame clock.
void startWindowFrameClock();

// Runs until WM_QUIT and returns its code. Messages are offered to
// `accelerators` (may be null) first; when none waits, the main window is
// invalidated for the next frame, or, without a picture area, the loop waits.
WPARAM runMessageLoop(HACCEL accelerators);
