#include "frame_pacer.h"

namespace {
constexpr int32_t kFallbackRefreshRate = 60;
}

void startFramePacer(FramePacer& pacer, int64_t frequency, int32_t refreshRate, int64_t now) {
    const int32_t rate = refreshRate > 1 ? refreshRate : kFallbackRefreshRate;
    pacer.frequency = frequency;
    pacer.interval = frequency / rate;
    pacer.nextFrame = now;
}

int64_t frameWaitMilliseconds(FramePacer& pacer, int64_t now) {
    if (pacer.interval <= 0) {
        return 0;
    }
    const int64_t early = pacer.nextFrame - now;
    if (early <= 0) {
        // Booked from the planned time, so rounding does not slow the rate;
        // a frame more than one interval late books afresh instead of
        // catching up with a burst.
        const int64_t base = -early > pacer.interval ? now : pacer.nextFrame;
        pacer.nextFrame = base + pacer.interval;
        return 0;
    }
    return (early * 1000 + pacer.frequency - 1) / pacer.frequency;
}
