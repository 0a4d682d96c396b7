// The message loop of the program and of the screen saver: it draws a frame
// whenever nothing else waits, and rests while there is nothing to draw into.
#include "message_loop.h"

#include "frame_pacing.h"
#include "host_rules.h"
#include "window_state.h"

namespace {

// Whether the window has client area to draw into.
bool hasPictureArea() {
    return ::hasPictureArea(windowState.clientWidth, windowState.clientHeight);
}

// Frames no one can see would only burn the CPU: wait for the next message
// instead. A fly-out after Esc cannot be seen either, so the journey ends now.
void restWithoutPicture() {
    if (restEndsJourney()) {
        PostMessageA(windowState.mainWindow, WM_CLOSE, 0, 0);
        return;
    }
    WaitMessage();
}

}  // namespace

void startFrameClock() {
    LARGE_INTEGER value = {};
    QueryPerformanceFrequency(&value);
    frameClock.frequency = value.QuadPart;
    QueryPerformanceCounter(&value);
    frameClock.start = value.QuadPart;
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
        } else if (hasPictureArea()) {
            if (awaitFrameSlot()) {
                InvalidateRect(windowState.mainWindow, nullptr, FALSE);
            }
        } else {
            restWithoutPicture();
        }
    }
    return message.wParam;
}
