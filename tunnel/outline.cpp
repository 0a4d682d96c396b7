#include "outline.h"

#include "trig.h"
#include "tunnel_state.h"

namespace {

// Single-precision constants; their exact float values shape the tunnel.
constexpr float kOutlineAngleStep = 0.09817477f;  // pi/32
constexpr float kPulseFrequency = 0.31415927f;    // pi/10: 20 rings per swell

struct TurnWave {
    float frequency;   // radians per ring number (single precision)
    double amplitude;  // radians
};

// Periods of 80, 180 and 140 rings; amplitudes 1 : 4 : 2.
constexpr TurnWave kTurnWaves[3] = {
    {0.07853982f, 0.01675516128540039},
    {0.034906585f, 0.06702064514160155},
    {0.044879895f, 0.03351032257080078},
};

}  // namespace

void initRingOutlines(TunnelState& tunnel) {
    OutlinePoint* base = tunnel.outlines[0];
    for (int i = 0; i < kOutlinePoints; ++i) {
        const double theta = i * static_cast<double>(kOutlineAngleStep);
        base[i].x = static_cast<float>(25.0 * stableSin(theta));
        base[i].y = static_cast<float>(25.0 * stableCos(theta));
    }
    tunnel.lastShapedRing = -1;
    tunnel.vertexStep = 1;
}

void shapeRing(TunnelState& tunnel, int32_t slot, int32_t ringNumber, float scale) {
    const OutlinePoint* base = tunnel.outlines[0];
    OutlinePoint* outline = tunnel.outlines[1 + slot];
    const double k = scale;
    for (int i = 0; i < kOutlinePoints; ++i) {
        outline[i].x = static_cast<float>(k * base[i].x);
        outline[i].y = static_cast<float>(k * base[i].y);
    }
    RingRecord& ring = tunnel.rings[slot];
    ring.radius = static_cast<float>(k * kRingRadius);
    const double n = ringNumber;
    for (int a = 0; a < 3; ++a) {
        const TurnWave& wave = kTurnWaves[a];
        ring.turn[a] =
            static_cast<float>(stableSin(n * static_cast<double>(wave.frequency)) * wave.amplitude);
    }
}

float ringScale(int32_t ringNumber, int32_t pulse) {
    if (pulse == 0) {
        return 1.0f;
    }
    const double n = ringNumber;
    return static_cast<float>((stableSin(n * static_cast<double>(kPulseFrequency)) + 4.0) * 0.25);
}
