// The message loop of the program and of the screen saver: it draws a frame
// whenever nothing else waits, and rests while there is nothing to draw into.
#include "message_loop.h"

#include "frame_pacing.h"
#include "window.h"
#include "window_state.h"

namespace {

bool windowHasPictureArea() {
    return hasPictureArea(windowState.clientWidth, windowState.clientHeight);
}

// Frames no one can see would only burn the CPU: the frame step rests, and
// the loop waits for the next message. A fly-out after Esc cannot be seen
// either, so there the step ends the journey (and has asked to close).
void restWithoutPicture() {
    if (stepWindowFrame(counterNow()).ended == 0) {
        WaitMessage();
    }
}

}  // namespace

void startWindowFrameClock() {
    LARGE_INTEGER frequency = {};
    QueryPerformanceFrequency(&frequency);
    startFrameClock(windowVoyage.clock, counterNow(), frequency.QuadPart);
}

// Dispatches whatever is waiting and otherwise asks for the next frame (once
// its time has come, where frames are paced), or rests while there is nothing
// to draw into.
WPARAM runMessageLoop(HACCEL accelerators) {
    MSG message = {};
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    while (message.message != WM_QUIT) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (TranslateAcceleratorA(message.hwnd, accelerators, &message) == 0) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        } else if (windowHasPictureArea()) {
            if (awaitFrameSlot()) {
                InvalidateRect(windowState.mainWindow, nullptr, FALSE);
            }
        } else {
            restWithoutPicture();
        }
    }
    return message.wParam;
}
