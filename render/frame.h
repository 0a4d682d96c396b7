// The per-frame renderer: advances the journey, rebuilds and draws the tunnel.
// It draws one frame per call and never swaps: the host owns the loop, the
// swap and the window.
#pragma once

#include <cstdint>

// Window class name and first title; the frame-rate readout starts with it.
constexpr char kProgramTitle[] = " Ringvoyage";
constexpr int kReadoutSize = 256;  // buffer for the readout text

struct FrameRenderer {
    float fpsStamp;            // frame clock time of the last readout
    int32_t framesSinceStamp;  // frames drawn since fpsStamp
    uint8_t stamped;           // 1 once the first call has set fpsStamp
};

// Module instance, zero at program start, program lifetime.
extern FrameRenderer frameRenderer;

// What the host must act on after a frame.
struct FrameReport {
    uint8_t journeyOver;     // 1: no ring is left after Esc; the host ends the program
    uint8_t rateDue;         // 1: a new readout is due, with this rate
    double framesPerSecond;  // the rate, when rateDue is 1
};

// One animation frame for a client area of width x height, at the frame
// clock's time; the GL context must be current and the scene set up.
FrameReport renderFrame(int32_t width, int32_t height);

// Draws the tunnel the latest renderFrame built once more, into another
// surface of width x height (the same journey on a second output); the
// rate counts it as no new frame. The caller sets that surface's viewport.
void redrawFrame(int32_t width, int32_t height);

// The readout, " Ringvoyage 1.03 - <rate> FPS", as the window title shows it.
void formatReadout(char (&text)[kReadoutSize], double framesPerSecond);

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
