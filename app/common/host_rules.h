// What every host does around its frames, written once: when there is
// something to draw into, and what a rest without a picture means.
#pragma once

#include <cstdint>

// Whether a client area can show a frame: neither 0 wide nor 0 high
// (minimising gives 0 x 0).
bool hasPictureArea(int32_t width, int32_t height);

// Called when the host has nothing to draw into and is about to wait for
// events. True: end the program now instead, since after Esc a fly-out no
// one can see would never end. Otherwise the readout counts afresh from the
// first frame after the rest.
bool restEndsJourney();
