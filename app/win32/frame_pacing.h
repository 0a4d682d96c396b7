// Frame pacing for the screen saver: no more frames than the display shows,
// without delaying the input that ends it. The program itself stays
// unpaced: its readout measures how fast it can draw.
#pragma once

#include <cstdint>

struct FramePacing {
    int64_t interval;   // counter ticks between frames; 0 while frames are not paced
    int64_t nextFrame;  // counter value before which the next frame does not start
};

// Module instance, zero at program start, program lifetime.
extern FramePacing framePacing;

// Asks the driver to wait for the retrace at each swap, and caps the loop's
// frames at the display's refresh rate where it does not. Needs the GL
// context current and the frame clock's frequency.
void startFramePacing();

// The refresh rate the display reports, or 60 where it reports none (0 or 1).
int32_t displayRefreshRate();

// True when the next frame may start now, booking the one after it.
// Otherwise waits until it may, or until a message arrives, and is false.
bool awaitFrameSlot();
