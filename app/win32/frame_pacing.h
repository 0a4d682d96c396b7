// Frame pacing for the screen saver (see frame_pacer.h): no more frames than
// the display shows, without delaying the input that ends it. The program
// itself stays unpaced: its readout measures how fast it can draw.
#pragma once

#include <cstdint>

// Asks the driver to wait for the retrace at each swap, and caps the loop's
// frames at the display's refresh rate where it does not. Needs the GL
// context current and the frame clock started.
void startFramePacing();

// The refresh rate the display reports; 0 or 1 where it reports none.
int32_t displayRefreshRate();

// True when the next frame may start now, booking the one after it.
// Otherwise waits until it may, or until a message arrives, and is false.
bool awaitFrameSlot();
