// The per-frame tunnel builder.
#pragma once

#include <cstdint>

#include "tunnel_state.h"

// Places the rings ahead of the camera for `travel` (non-negative) and
// projects them into tunnel.screenVertices and tunnel.ringDepth.
void buildTunnel(TunnelState& tunnel, int32_t travel);
