#include "test_support.h"

#include <cmath>
#include <cstring>

#include "outline.h"

Journey journey = {};
TunnelState& tunnel = journey.tunnel;

void freshJourney() {
    journey = {};
    startJourney(journey);
}

uint32_t bitsOf(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float floatFromBits(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double storedAs(double value, bool toFloat) {
    if (!toFloat) {
        return value;
    }
    const volatile float rounded = static_cast<float>(value);
    return rounded;
}

bool frameIsFinite() {
    for (int32_t j = 0; j < tunnel.visibleRings; ++j) {
        if (!std::isfinite(tunnel.ringDepth[j]))
            return false;
        for (const ScreenVertex& v : tunnel.screenVertices[j]) {
            if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.s) ||
                !std::isfinite(v.t))
                return false;
        }
    }
    return true;
}

void shapeStraightTunnel(int32_t last) {
    for (int32_t n = 0; n <= last; ++n) {
        const int32_t slot = n & (kMaxRings - 1);
        shapeRing(tunnel, slot, n, 1.0f);
        tunnel.rings[slot].turn[0] = 0.0f;
        tunnel.rings[slot].turn[1] = 0.0f;
        tunnel.rings[slot].turn[2] = 0.0f;
    }
    tunnel.lastShapedRing = last;
}
