// Moving along the tunnel for as long as the program runs: the per-frame
// advance of travel and the bounds of the speed.
#pragma once

#include <cstdint>

#include "tunnel_state.h"

// The speed stays within 2^-9 and 2^9 times the start speed; inside these
// bounds every "+" and "-" gives exactly the product it always did.
constexpr float kMinSpeed = 15.625f;
constexpr float kMaxSpeed = 4096000.0f;

// Travel wraps after this many rings: a common multiple of the slot count
// (128), the texture period (64) and the turn and pulse periods (80, 180,
// 140, 20), so the rings ahead look the same after the wrap.
constexpr int32_t kWrapRings = 80640;
constexpr double kWrapTravel = kWrapRings * 256.0;

// The journey as its owner holds it: a zero value is the state at program
// start (focal aside, which the record sets itself).
struct Journey {
    TunnelState tunnel;
    double carry;  // part of the travelled distance that `travel` could not hold
};

// What scene setup does to the tunnel: speed 8000, travel 0, base circle built.
void startJourney(Journey& journey);

// A new journey after one that has ended (or not): as at program start, with
// the quit request and the pulsing cleared.
void startJourneyAgain(Journey& journey);

// Adds speed * delta to travel and returns the whole travel for buildTunnel.
int32_t advanceJourney(Journey& journey, float delta);

// speed * factor, rounded to float and held within the speed bounds.
float scaledSpeed(float speed, float factor);

// Seconds spanned by `ticks` of a counter running at `frequency` ticks per
// second; 0 for a span that runs backwards or a counter without frequency.
double counterSeconds(int64_t ticks, int64_t frequency);
