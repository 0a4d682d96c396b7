#include "controls.h"

#include "journey.h"
#include "tunnel_state.h"

namespace {

constexpr int32_t kKeyEscape = 27;
constexpr int32_t kKeySpace = 32;
constexpr int32_t kKeyPlus = 43;
constexpr int32_t kKeyMinus = 45;

// Not exact reciprocals: "+" then "-" from 8000 lands back on 8000 after
// rounding, but long alternating runs drift.
constexpr float kFaster = 1.41410005f;
constexpr float kSlower = 0.70716351f;

}  // namespace

void scaleSpeed(float factor) {
    tunnel.speed = scaledSpeed(tunnel.speed, factor);
}

void handleKey(int32_t character) {
    switch (character) {
        case kKeyEscape:
            tunnel.quitRequested = 1;
            break;
        case kKeySpace:
            tunnel.pulse = tunnel.pulse == 0 ? 1 : 0;
            break;
        case kKeyPlus:
            scaleSpeed(kFaster);
            break;
        case kKeyMinus:
            scaleSpeed(kSlower);
            break;
        default:
            break;
    }
}
