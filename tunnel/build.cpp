// The tunnel builder: walks the bending chain of rings outward from the
// camera, then projects every ring it kept onto the screen plane.
#include "build.h"

#include "bounds.h"
#include "matrix.h"
#include "outline.h"
#include "tunnel_state.h"

namespace {

constexpr double kTravelUnit = 0.00390625;    // 1/256 of a ring spacing
constexpr double kTexturePerStep = 0.015625;  // 1/64: texture repeats every 64
constexpr float kNearDepth = 0.1f;            // replaces depths at or behind the eye

// Shapes ring n the first time the walk reaches it; false when the journey
// is ending and the ring may no longer be added.
bool ensureShaped(TunnelState& tunnel, int32_t n, int32_t slot) {
    if (n <= tunnel.lastShapedRing) {
        return true;
    }
    if (tunnel.quitRequested != 0) {
        return false;
    }
    shapeRing(tunnel, slot, n, ringScale(n, tunnel.pulse));
    tunnel.lastShapedRing = n;
    return true;
}

void turnFrame(const Matrix3& turn, Vec4& vector) {
    const Vec4 previous = vector;
    matTransform(turn, previous, vector);
}

// Places rings base, base + 1, ... and returns how many were built.
int32_t walkTunnel(TunnelState& tunnel, int32_t baseRing, float fraction) {
    Vec4 side = {1.0f, 0.0f, 0.0f, 1.0f};
    Vec4 forward = {0.0f, 8.0f, 0.0f, 1.0f};
    Vec4 up = {0.0f, 0.0f, 1.0f, 1.0f};
    float position[3] = {0.0f, 0.0f, 0.0f};
    Matrix3 turn;
    matIdentity(turn);
    ScreenRect clip;
    rectSetUnbounded(clip);
    // The nearest ring is partly passed: a shorter first step and a partial turn.
    const double remaining = 1.0 - static_cast<double>(fraction);

    int32_t i = 0;
    for (; i < kMaxRings; ++i) {
        if (rectIsEmpty(clip)) {
            break;
        }
        const int32_t n = baseRing + i;
        const int32_t slot = n & (kMaxRings - 1);
        if (!ensureShaped(tunnel, n, slot)) {
            break;
        }

        const float* step = &forward.x;
        for (int c = 0; c < 3; ++c) {
            const double stepC =
                i == 0 ? static_cast<float>(static_cast<double>(step[c]) * remaining) : step[c];
            position[c] = static_cast<float>(stepC + position[c]);
        }

        RingRecord& ring = tunnel.rings[slot];
        ring.center = {position[0], position[1], position[2], 1.0f};
        ring.side = side;
        ring.up = up;

        float angles[3] = {ring.turn[0], ring.turn[1], ring.turn[2]};
        if (i == 0) {
            for (float& angle : angles) {
                angle = static_cast<float>(static_cast<double>(angle) * remaining);
            }
        }
        matRotation(turn, angles[0], angles[1], angles[2]);
        turnFrame(turn, side);
        turnFrame(turn, forward);
        turnFrame(turn, up);

        ScreenRect bounds;
        ringScreenBounds(tunnel, slot, bounds);
        rectIntersect(clip, bounds);
    }
    return i;
}

void projectRing(TunnelState& tunnel, int32_t j, int32_t n, float fraction, int32_t step) {
    const int32_t slot = n & (kMaxRings - 1);
    const RingRecord& ring = tunnel.rings[slot];
    const Vec4& C = ring.center;
    const Vec4& S = ring.side;
    const Vec4& U = ring.up;
    const OutlinePoint* outline = tunnel.outlines[1 + slot];
    const double focal = tunnel.focal;

    tunnel.ringDepth[j] = static_cast<float>((j + 1.0) - fraction);
    const float t = static_cast<float>(n * kTexturePerStep);
    ScreenVertex* row = tunnel.screenVertices[j];
    for (int32_t k = 0; k <= kOutlinePoints; k += step) {
        const double ox = outline[k & (kOutlinePoints - 1)].x;
        const double oy = outline[k & (kOutlinePoints - 1)].y;
        const float X = static_cast<float>((U.x * oy + S.x * ox) + C.x);
        const double Y = (U.y * oy + S.y * ox) + C.y;
        const float Z = static_cast<float>((U.z * oy + S.z * ox) + C.z);
        const double depth = Y > 0.0 ? Y : static_cast<double>(kNearDepth);
        row[k].x = static_cast<float>((focal * X) / depth);
        row[k].y = static_cast<float>(-((Z * focal) / depth));
        row[k].s = static_cast<float>(k * kTexturePerStep);
        row[k].t = t;
    }
}

}  // namespace

void buildTunnel(TunnelState& tunnel, int32_t travel) {
    const int32_t baseRing = travel >> 8;
    const float fraction = static_cast<float>((travel & 255) * kTravelUnit);
    tunnel.visibleRings = walkTunnel(tunnel, baseRing, fraction);

    // A stride below 1 would never finish a ring.
    const int32_t step = tunnel.vertexStep > 0 ? tunnel.vertexStep : 1;
    for (int32_t j = 0; j < tunnel.visibleRings; ++j) {
        projectRing(tunnel, j, baseRing + j, fraction, step);
    }
}
