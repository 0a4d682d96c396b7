// Screen rectangles and the closed-form screen bounds of a ring.
#pragma once

#include <cstdint>

#include "tunnel_state.h"

// Empty when minX > maxX or minY > maxY; fields may be NaN.
struct ScreenRect {
    float minX, minY, maxX, maxY;
};

void rectSetUnbounded(ScreenRect& r);
bool rectIsEmpty(const ScreenRect& r);
// r becomes r intersected with o; the comparison forms fix the NaN outcomes.
void rectIntersect(ScreenRect& r, const ScreenRect& o);

// The two points of the unit circle on the line a*x + b*y = c.
void circleLineIntersect(double a, double b, double c, float& x1, float& y1, float& x2, float& y2);

// Screen rectangle covered by the ring placed in `slot`.
void ringScreenBounds(const TunnelState& tunnel, int32_t slot, ScreenRect& out);
