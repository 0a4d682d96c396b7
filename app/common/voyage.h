// The one value a host holds for its picture: the journey, its clock, the
// frame-rate count and the tile texture. The host passes it to the frame step
// and the commands; nothing below the host keeps state of its own.
#pragma once

#include <cstdint>

#include "frame_clock.h"
#include "journey.h"
#include "texture.h"

struct FrameRate {
    float fpsStamp;            // frame clock time of the last readout
    int32_t framesSinceStamp;  // frames drawn since fpsStamp
    uint8_t stamped;           // 1 once the first frame has set fpsStamp
};

// Zero (value-initialised) is the state at program start. About 200 KB: a
// host keeps it in static storage or allocates it once.
struct Voyage {
    Journey journey;
    FrameClock clock;
    FrameRate rate;
    Texture texture;
    uint8_t frozen;      // 1: every frame shows frozenTravel, and no time passes
    float frozenTravel;  // travel of the still frame
};
