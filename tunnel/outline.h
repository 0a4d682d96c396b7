// Ring outlines and the turn angles that bend the tunnel.
#pragma once

#include <cstdint>

#include "tunnel_state.h"

// Builds the base circle and resets the shaping counter.
void initRingOutlines(TunnelState& tunnel);

// Stores outline, radius and turn angles of ring `ringNumber` in `slot`.
void shapeRing(TunnelState& tunnel, int32_t slot, int32_t ringNumber, float scale);

// Scale of ring `ringNumber` under the current pulse setting.
float ringScale(int32_t ringNumber, int32_t pulse);
