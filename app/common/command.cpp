#include "command.h"

namespace {

// Not exact reciprocals: "+" then "-" from 8000 lands back on 8000 after
// rounding, but long alternating runs drift.
constexpr float kFaster = 1.41410005f;
constexpr float kSlower = 0.70716351f;

}  // namespace

void applyCommand(Journey& journey, Command command) {
    TunnelState& tunnel = journey.tunnel;
    switch (command) {
        case Command::Faster:
            tunnel.speed = scaledSpeed(tunnel.speed, kFaster);
            break;
        case Command::Slower:
            tunnel.speed = scaledSpeed(tunnel.speed, kSlower);
            break;
        case Command::TogglePulse:
            tunnel.pulse = tunnel.pulse == 0 ? 1 : 0;
            break;
        case Command::EndJourney:
            tunnel.quitRequested = 1;
            break;
        default:
            break;
    }
}

bool commandForCharacter(int32_t character, Command& command) {
    switch (character) {
        case '+':
            command = Command::Faster;
            return true;
        case '-':
            command = Command::Slower;
            return true;
        case ' ':
            command = Command::TogglePulse;
            return true;
        default:
            return false;
    }
}
