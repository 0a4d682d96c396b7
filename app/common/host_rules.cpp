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
