#include "tunnel_state.h"

#include "journey.h"
#include "outline.h"

TunnelState tunnel{};

void resetTunnelState() {
    tunnel = TunnelState{};
    journey = JourneyState{};
}

void startJourney() {
    tunnel.speed = kStartSpeed;
    tunnel.travel = 0.0f;
    journey.carry = 0.0;
    initRingOutlines();
}

void startJourneyAgain() {
    tunnel.quitRequested = 0;
    tunnel.pulse = 0;
    startJourney();
}
