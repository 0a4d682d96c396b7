#include "tunnel_state.h"

#include "outline.h"

TunnelState tunnel{};

void resetTunnelState() {
    tunnel = TunnelState{};
}

void startJourney() {
    tunnel.speed = kStartSpeed;
    tunnel.travel = 0.0f;
    initRingOutlines();
}
