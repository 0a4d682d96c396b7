// Program entry: the window, the scene and a message loop that draws whenever
// nothing else waits, and rests while there is nothing to draw into.
#include <windows.h>

#include "frame.h"
#include "resource.h"
#include "scene.h"
#include "tunnel_state.h"
#include "window.h"
#include "window_state.h"

namespace {

// Exit code of a start that failed: the box tells the user, the code tells
// whoever started the program.
constexpr int kStartupFailed = 1;

int reportStartupFailure(HWND owner, const char* text) {
    MessageBoxA(owner, text, "Error", MB_ICONERROR);
    return kStartupFailed;
}

void startFrameClock() {
    LARGE_INTEGER value = {};
    QueryPerformanceFrequency(&value);
    frameClock.frequency = value.QuadPart;
    QueryPerformanceCounter(&value);
    frameClock.start = value.QuadPart;
}

// Whether the window has client area to draw into: not minimised, and
// neither 0 wide nor 0 high.
bool hasPictureArea() {
    return windowState.clientWidth > 0 && windowState.clientHeight > 0 &&
           IsIconic(windowState.mainWindow) == FALSE;
}

// Frames no one can see would only burn the CPU: wait for the next message
// instead, and let the readout count afresh from the first frame after the
// rest. A fly-out after Esc cannot be seen either, so the journey ends now.
void restWithoutPicture() {
    if (tunnel.quitRequested != 0) {
        PostMessageA(windowState.mainWindow, WM_CLOSE, 0, 0);
        return;
    }
    restartFrameRate();
    WaitMessage();
}

// Dispatches whatever is waiting and otherwise asks for the next frame, or
// rests while there is nothing to draw into.
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
            InvalidateRect(windowState.mainWindow, nullptr, FALSE);
        } else {
            restWithoutPicture();
        }
    }
    return message.wParam;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    windowState.running = 0;
    if (!registerMainClass(instance)) {
        return reportStartupFailure(nullptr, "Failed to register the window class");
    }
    HWND window = createMainWindow(instance);
    if (window == nullptr) {
        return reportStartupFailure(nullptr, "Failed to create the window.");
    }
    setWindowIcons(window, instance);
    windowState.mainWindow = window;
    ShowWindow(window, SW_SHOW);  // the caller's show command is ignored
    UpdateWindow(window);
    startFrameClock();
    if (!initScene()) {
        return reportStartupFailure(window, "Failed to initialize 3D effect.");
    }
    windowState.running = 1;
    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCEL));
    const WPARAM exitCode = runMessageLoop(accelerators);
    windowState.running = 0;
    return static_cast<int>(exitCode);
}
