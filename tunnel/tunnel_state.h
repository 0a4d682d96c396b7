// The one record the tunnel effect works on: settings, fixed tables and the
// counters that say which parts of the tables are valid. Its owner (a host's
// Journey) passes it to every function that reads or writes it.
#pragma once

#include <cstdint>

#include "matrix.h"

constexpr int kMaxRings = 128;          // rings per frame and ring slots
constexpr int kOutlinePoints = 64;      // points around a ring outline
constexpr int kRingVertices = 65;       // outline points plus the closing repeat
constexpr float kRingRadius = 25.0f;    // radius of a ring at scale 1
constexpr float kStartSpeed = 8000.0f;  // travel units per second at start

struct OutlinePoint {
    float x;  // along the ring's side axis
    float y;  // along the ring's up axis
};

struct ScreenVertex {
    float x, y;  // projected screen position
    float s, t;  // texture coordinates
};

struct RingRecord {
    float turn[4];  // three turn angles in radians; the fourth is never read
    Vec4 center;    // ring centre in camera space
    Vec4 side;      // first axis of the ring plane
    Vec4 up;        // second axis of the ring plane
    float radius;   // 25 times the ring's scale
};
static_assert(sizeof(RingRecord) == 17 * sizeof(float), "RingRecord is 17 floats");

struct TunnelState {
    float focal = 2.0f;          // projection scale, never changed
    float speed;                 // travel units per second
    float travel;                // distance travelled, in 1/256 of a ring spacing
    float lastAspect;            // aspect ratio the current projection was set for
    float ringDepth[kMaxRings];  // per visible position
    ScreenVertex screenVertices[kMaxRings][kRingVertices];  // per visible position
    int32_t vertexStep;           // stride through a ring's vertices, always 1
    int32_t visibleRings;         // rings built by the last buildTunnel, 0..128
    int32_t lastShapedRing;       // highest ring number shaped so far, -1 at start
    RingRecord rings[kMaxRings];  // slot = ring number & 127
    OutlinePoint outlines[kMaxRings + 1][kOutlinePoints];  // row 0: base circle
    int32_t pulse;          // 0 or 1: newly shaped rings swell and shrink
    int32_t quitRequested;  // 0 or 1: the tunnel stops growing
};
