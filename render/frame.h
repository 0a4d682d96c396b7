// The per-frame renderer: rebuilds the tunnel for a travel and draws it. It
// draws one frame per call and never swaps: the host owns the loop, the swap
// and the window, and the frame step (app/common/frame_step.h) is its only
// caller.
#pragma once

#include <cstdint>

#include "tunnel_state.h"

// One animation frame of `tunnel` at the whole travel `travel`, for a client
// area of width x height; the GL context must be current and the scene set
// up. False when no ring is left to draw: then nothing is drawn, not even
// cleared.
bool renderFrame(TunnelState& tunnel, int32_t travel, int32_t width, int32_t height);

// Grey level of a ring at `depth` ring spacings: full up to 3.6, then fading.
float shade(float depth);

// Draws the strips between the visible rings, farthest first.
void drawTunnel(const TunnelState& tunnel);
