#include "frame_clock.h"

#include "journey.h"

void startFrameClock(FrameClock& clock, int64_t start, int64_t frequency) {
    clock.frequency = frequency;
    clock.start = start;
}

void advanceFrameClock(FrameClock& clock, int64_t now) {
    const int64_t previous = clock.now > clock.start ? clock.now : clock.start;
    clock.now = now;
    clock.delta = static_cast<float>(counterSeconds(now - previous, clock.frequency));
    clock.time = static_cast<float>(counterSeconds(now - clock.start, clock.frequency));
}
