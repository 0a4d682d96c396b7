#include "journey.h"

#include <cmath>

#include "outline.h"

namespace {

// Moves travel and the shaping counter back by whole wraps; rings already
// shaped keep their slots, since the wrap is a multiple of 128 rings.
double unwrap(TunnelState& tunnel, double exact) {
    if (exact < kWrapTravel) {
        return exact;
    }
    const double wraps = std::floor(exact / kWrapTravel);
    const double rebased = static_cast<double>(tunnel.lastShapedRing) - wraps * kWrapRings;
    // A jump past every shaped ring leaves nothing to keep.
    tunnel.lastShapedRing = rebased < -1.0 ? -1 : static_cast<int32_t>(rebased);
    return exact - wraps * kWrapTravel;
}

}  // namespace

// While the float sum keeps the advance to within 1/16, travel is
// exactly float(travel + speed * delta). Once rounding would eat a larger
// share (high frame rates, low speeds, far travel) the lost part is carried
// to the next frame, so the journey never stalls or drifts.
void startJourney(Journey& journey) {
    journey.tunnel.speed = kStartSpeed;
    journey.tunnel.travel = 0.0f;
    journey.carry = 0.0;
    initRingOutlines(journey.tunnel);
}

void startJourneyAgain(Journey& journey) {
    journey.tunnel.quitRequested = 0;
    journey.tunnel.pulse = 0;
    startJourney(journey);
}

int32_t advanceJourney(Journey& journey, float delta) {
    TunnelState& tunnel = journey.tunnel;
    double step = static_cast<double>(tunnel.speed) * static_cast<double>(delta);
    if (!(step >= 0.0) || !std::isfinite(step)) {
        step = 0.0;  // a clock that ran backwards or broke moves nothing
    }
    const double exact = unwrap(tunnel, static_cast<double>(tunnel.travel) + journey.carry + step);
    float next = static_cast<float>(exact);
    if (static_cast<double>(next) >= kWrapTravel) {
        next = std::nextafter(static_cast<float>(kWrapTravel), 0.0f);
    }
    double residue = exact - static_cast<double>(next);
    if (journey.carry == 0.0 && std::fabs(residue) <= step / 16.0) {
        residue = 0.0;
    }
    journey.carry = residue;
    tunnel.travel = next;
    return static_cast<int32_t>(next);
}

float scaledSpeed(float speed, float factor) {
    const float scaled = static_cast<float>(static_cast<double>(speed) * factor);
    if (!(scaled >= kMinSpeed)) {
        return kMinSpeed;  // also repairs a speed that is not a number
    }
    return scaled > kMaxSpeed ? kMaxSpeed : scaled;
}

double counterSeconds(int64_t ticks, int64_t frequency) {
    if (ticks <= 0 || frequency <= 0) {
        return 0.0;
    }
    return static_cast<double>(ticks) / static_cast<double>(frequency);
}
