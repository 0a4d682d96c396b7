// The frozen frames under Windows: the program's own window procedure,
// context and tile bitmap resource.
#include <windows.h>

#include <cstdio>

#include "frozen_frames.h"
#include "window.h"
#include "window_state.h"

namespace {

void pumpMessages() {
    MSG message = {};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_PAINT) {
            DefWindowProcA(message.hwnd, WM_PAINT, 0, 0);  // frames run only when asked
        } else {
            DispatchMessageA(&message);
        }
    }
}

}  // namespace

bool openFrozenSurface(int32_t width, int32_t height) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND window = registerMainClass(instance) ? createMainWindow(instance) : nullptr;
    if (window == nullptr) {
        std::fprintf(stderr, "no window\n");
        return false;
    }
    windowState.mainWindow = window;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    pumpMessages();
    return sizeFrozenSurface(width, height) && startWindowScene();
}

// Resizes the window until its client area is width x height; the size
// reaches the window procedure as WM_SIZE, as a user's resize would.
bool sizeFrozenSurface(int32_t width, int32_t height) {
    HWND window = windowState.mainWindow;
    for (int attempt = 0; attempt < 4; ++attempt) {
        RECT outer = {};
        RECT client = {};
        GetWindowRect(window, &outer);
        GetClientRect(window, &client);
        if (client.right == width && client.bottom == height) {
            return windowState.clientWidth == width && windowState.clientHeight == height;
        }
        SetWindowPos(window, nullptr, 0, 0, width + (outer.right - outer.left) - client.right,
                     height + (outer.bottom - outer.top) - client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER);
        pumpMessages();
    }
    std::fprintf(stderr, "client area not %d x %d\n", width, height);
    return false;
}

Voyage& frozenVoyage() {
    return windowVoyage;
}

void stepFrozenFrame() {
    stepWindowFrame(0);
}

void swapFrozenSurface() {
    SwapBuffers(windowState.deviceContext);
}
