// Shared helpers of the tunnel tests.
#pragma once

#include <cstdint>

#include "journey.h"

// The journey every test of the suite works on, and its tunnel record.
extern Journey journey;
extern TunnelState& tunnel;

// The state scene setup leaves: speed 8000, travel 0, base circle built.
void freshJourney();

uint32_t bitsOf(float value);
float floatFromBits(uint32_t bits);

// For the exactness checks, which name each float rounding of a computation:
// `value` rounded to float when `toFloat`, else kept in double. Through a
// volatile, so no optimiser drops the rounding from a run-time choice (GCC
// 12's SLP vectorizer at -O3 did).
double storedAs(double value, bool toFloat);

// Whether every depth and vertex of the frame last built is finite.
bool frameIsFinite();

// Pre-shapes rings 0..last (at scale 1) with every turn angle zero, so the
// tunnel runs straight ahead.
void shapeStraightTunnel(int32_t last);
