// The per-frame tunnel builder.
#pragma once

#include <cstdint>

// Places the rings ahead of the camera for `travel` (non-negative) and
// projects them into tunnel.screenVertices and tunnel.ringDepth.
void buildTunnel(int32_t travel);
