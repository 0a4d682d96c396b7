#include "frame_clock.h"

#include "journey.h"

FrameClock frameClock = {};

void startFrameClock(int64_t start, int64_t frequency) {
    frameClock.frequency = frequency;
    frameClock.start = start;
}

void advanceFrameClock(int64_t now) {
    const int64_t previous = frameClock.now > frameClock.start ? frameClock.now : frameClock.start;
    frameClock.now = now;
    frameClock.delta = static_cast<float>(counterSeconds(now - previous, frameClock.frequency));
    frameClock.time =
        static_cast<float>(counterSeconds(now - frameClock.start, frameClock.frequency));
}
