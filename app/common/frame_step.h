// The one frame step every host, tool and test runs: the rest rule, the
// clock, the journey's advance, the renderer, the frame-rate count, the end
// of the journey and the readout's text. A host reads its clock and size,
// calls stepFrame, and presents what the outcome says (swap, title or
// stdout, close or end screen).
#pragma once

#include <cstdint>

#include "tile_image.h"
#include "voyage.h"

// Window class name and first title; the readout starts with it.
constexpr char kProgramTitle[] = " Ringvoyage";
constexpr int kReadoutSize = 256;  // buffer for the readout text

struct HostFrame {
    int64_t now;    // frame clock counter reading for this frame
    int32_t width;  // client (drawable) size in pixels
    int32_t height;
    uint8_t hidden;  // 1 while no one can see the window (hidden, minimised, tab in background)
    uint8_t still;   // 1: a held frame; no time passes, the journey stays where it is
};

struct FrameOutcome {
    uint8_t rest;                // 1: nothing was drawn; wait for events, no swap
    uint8_t ended;               // 1: the journey is over; close, or show the end screen
    uint8_t readoutDue;          // 1: `readout` holds a new rate for the title
    char readout[kReadoutSize];  // " Ringvoyage <version> - <rate> FPS"
};

// Scene setup (GL context current) with the journey at its start.
void startVoyage(Voyage& voyage, const TileImage& tile, int32_t width, int32_t height);

// A new journey after one that has ended (or not): as at the start, the
// rate counted afresh; the scene stays.
void restartVoyage(Voyage& voyage);

// One frame. With nothing to draw into (hidden, or an empty client area) it
// draws nothing and rests: after Esc a fly-out no one can see would never
// end, so the journey ends; otherwise the rate counts afresh after the rest.
FrameOutcome stepFrame(Voyage& voyage, const HostFrame& frame);

// The frame the latest stepFrame drew, once more on another surface of
// width x height (the same journey on a second output): projected for that
// surface's aspect, with no time passing and not counted in the rate. The
// caller makes that surface's context current and sets its viewport. False
// when nothing was drawn.
bool redrawStep(Voyage& voyage, int32_t width, int32_t height);

// From now on every frame shows exactly `travel` and no time passes (the
// web page's ?travel=N, frame_shot and the frozen-frame tests).
void freezeFrame(Voyage& voyage, float travel);

// The readout, " Ringvoyage <version> - <rate> FPS", as the window title shows it.
void formatReadout(char (&text)[kReadoutSize], double framesPerSecond);

// Whether a client area can show a frame: neither 0 wide nor 0 high
// (minimising gives 0 x 0).
bool hasPictureArea(int32_t width, int32_t height);
