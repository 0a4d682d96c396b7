#include "frame_pacing.h"

#include <windows.h>

#include "frame_clock.h"
#include "window.h"

FramePacing framePacing = {};

namespace {

constexpr int32_t kFallbackRefreshRate = 60;

int64_t counterNow() {
    LARGE_INTEGER now = {};
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

}  // namespace

int32_t displayRefreshRate() {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) == FALSE ||
        mode.dmDisplayFrequency <= 1) {
        return kFallbackRefreshRate;
    }
    return static_cast<int32_t>(mode.dmDisplayFrequency);
}

void startFramePacing() {
    // The retrace wait is only asked for: Wine under Xvfb reads back the
    // interval it was given though its swaps never wait. The loop's own cap
    // at the same rate costs nothing where the swap does wait, since each
    // frame then starts late for its slot anyway.
    setSwapInterval(1);
    framePacing.interval = frameClock.frequency / displayRefreshRate();
    framePacing.nextFrame = counterNow();
}

bool awaitFrameSlot() {
    if (framePacing.interval <= 0) {
        return true;
    }
    const int64_t now = counterNow();
    const int64_t early = framePacing.nextFrame - now;
    if (early <= 0) {
        // Booked from the planned time, so rounding does not slow the rate;
        // a frame more than one interval late books afresh instead of
        // catching up with a burst.
        const int64_t base = -early > framePacing.interval ? now : framePacing.nextFrame;
        framePacing.nextFrame = base + framePacing.interval;
        return true;
    }
    // Rounded up, so that the wait does not end early and spin.
    const int64_t milliseconds = (early * 1000 + frameClock.frequency - 1) / frameClock.frequency;
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(milliseconds), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
    return false;
}
