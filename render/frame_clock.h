// The frame clock: high-resolution counter readings turned into the seconds
// the renderer works with. Platform-free, so long runs can be simulated.
#pragma once

#include <cstdint>

struct FrameClock {
    int64_t now;        // counter at the latest paint
    int64_t start;      // counter read once at start-up
    int64_t frequency;  // counter ticks per second
    float time;         // seconds from start to now
    float delta;        // seconds between the two latest paints
};

// Starts the clock at the counter reading `start`, on a counter running at
// `frequency` ticks per second.
void startFrameClock(FrameClock& clock, int64_t start, int64_t frequency);

// Takes the counter reading of a new paint. delta is measured between the
// two readings themselves, not from the rounded time, so it stays exact
// however long the program runs; the first paint measures from start.
void advanceFrameClock(FrameClock& clock, int64_t now);
