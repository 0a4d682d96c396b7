#include "host_rules.h"

#include "frame.h"
#include "tunnel_state.h"

bool hasPictureArea(int32_t width, int32_t height) {
    return width > 0 && height > 0;
}

bool restEndsJourney() {
    if (tunnel.quitRequested != 0) {
        return true;
    }
    restartFrameRate();
    return false;
}

bool movedBeyondSlack(int32_t dx, int32_t dy) {
    return dx > kSaverMotionSlack || dx < -kSaverMotionSlack || dy > kSaverMotionSlack ||
           dy < -kSaverMotionSlack;
}
