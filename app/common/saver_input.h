// What input ends a screen saver started by an idle daemon: any key, click
// or wheel turn, and pointer motion beyond a jolt.
#pragma once

#include <cstdint>

// Pointer motion a screen saver forgives (a desk's jolt), in pixels along
// either axis from where the pointer first showed.
constexpr int32_t kSaverMotionSlack = 8;

// Whether a pointer displaced by (dx, dy) ends a screen saver.
bool movedBeyondSlack(int32_t dx, int32_t dy);
