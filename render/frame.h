// The per-frame renderer: advances the journey, rebuilds and draws the tunnel.
#pragma once

#include <cstdint>

struct FrameRenderer {
    float fpsStamp;            // frame clock time of the last title update
    int32_t framesSinceStamp;  // frames drawn since fpsStamp
    uint8_t stamped;           // 1 once the first call has set fpsStamp
    uint8_t titleless;         // 1: the readout stays out of the title (the screen saver)
};

// Module instance, zero at program start, program lifetime.
extern FrameRenderer frameRenderer;

// One animation frame; the GL context must be current and the scene set up.
void renderFrame();

// Starts the readout's count afresh with the next frame, after a time in
// which no frames were drawn.
void restartFrameRate();

// Adds speed x delta to the travel and returns the whole ring-travel value to
// build the tunnel for.
int32_t advanceTravel();

// Grey level of a ring at `depth` ring spacings: full up to 3.6, then fading.
float shade(float depth);

// Draws the strips between the visible rings, farthest first.
void drawTunnel();
