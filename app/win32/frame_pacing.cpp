#include "frame_pacing.h"

#include <windows.h>

#include "frame_pacer.h"
#include "window.h"
#include "window_state.h"

namespace {
FramePacer framePacer = {};
}

int32_t displayRefreshRate() {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) == FALSE) {
        return 0;
    }
    return static_cast<int32_t>(mode.dmDisplayFrequency);
}

void startFramePacing() {
    // The retrace wait is only asked for: Wine under Xvfb reads back the
    // interval it was given though its swaps never wait. The loop's own cap
    // at the same rate costs nothing where the swap does wait, since each
    // frame then starts late for its slot anyway.
    setSwapInterval(1);
    const int32_t refreshRate = displayRefreshRate();
    startFramePacer(framePacer, windowVoyage.clock.frequency, refreshRate, counterNow());
}

bool awaitFrameSlot() {
    if (framePacer.interval <= 0) {
        return true;
    }
    const int64_t milliseconds = frameWaitMilliseconds(framePacer, counterNow());
    if (milliseconds == 0) {
        return true;
    }
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(milliseconds), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
    return false;
}
