#include "gl_window.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "resource.h"
#include "window.h"
#include "window_state.h"

Voyage& testVoyage = windowVoyage;

namespace {

HWND sharedWindow = nullptr;
HBITMAP tileBitmap = nullptr;  // the DIB section holds the pixels GLU reads

// The program's window with its context current; false when there is none.
bool openWindow() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    sharedWindow = registerMainClass(instance) ? createMainWindow(instance) : nullptr;
    if (sharedWindow == nullptr) {
        return false;
    }
    windowState.mainWindow = sharedWindow;
    ShowWindow(sharedWindow, SW_SHOW);
    UpdateWindow(sharedWindow);
    drainMessages();
    return windowState.glContext != nullptr && wglGetCurrentContext() == windowState.glContext;
}

class GlWindowEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(openWindow()) << "no window or GL context (is DISPLAY set?)";
    }

    void TearDown() override {
        if (sharedWindow != nullptr) {
            tunnelTexture.release();  // while the context still exists
            DestroyWindow(sharedWindow);
            DeleteObject(tileBitmap);
            sharedWindow = nullptr;
        }
    }
};

}  // namespace

HWND testWindow() {
    return sharedWindow;
}

void resetProgramState() {
    windowVoyage.journey = {};
    windowVoyage.rate = {};
    windowVoyage.frozen = 0;
    frameClock = {};
    startFrameClock(frameClock, 0, 1000000);
    windowState.running = 0;
    windowState.titleless = 0;
    windowState.mainWindow = sharedWindow;
}

void startRealFrameClock(double secondsAgo) {
    LARGE_INTEGER frequency = {};
    QueryPerformanceFrequency(&frequency);
    const double ago = secondsAgo * static_cast<double>(frequency.QuadPart);
    startFrameClock(frameClock, counterNow() - static_cast<int64_t>(ago), frequency.QuadPart);
}

ClientSize useRealClientSize() {
    RECT client = {};
    GetClientRect(sharedWindow, &client);
    const ClientSize size = {client.right - client.left, client.bottom - client.top};
    SendMessageA(sharedWindow, WM_SIZE, SIZE_RESTORED, MAKELPARAM(size.width, size.height));
    return size;
}

TileImage programTile() {
    if (tileBitmap == nullptr) {
        tileBitmap =
            static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_TUNNEL),
                                            IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    }
    return tileFromBitmap(tileBitmap);
}

void drainMessages() {
    MSG message = {};
    while (PeekMessageA(&message, sharedWindow, 0, 0, PM_REMOVE)) {
        // Paints skip the frame: a test decides when frames run. The default
        // handling also validates the frame, which a client ValidateRect does not.
        if (message.message == WM_PAINT) {
            DefWindowProcA(message.hwnd, WM_PAINT, 0, 0);
        } else {
            DispatchMessageA(&message);
        }
    }
}

// Resizes the window until its client area is width x height; the size
// reaches the window procedure as WM_SIZE, as a user's resize would.
bool sizeClient(int32_t width, int32_t height) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        RECT outer = {};
        RECT client = {};
        GetWindowRect(sharedWindow, &outer);
        GetClientRect(sharedWindow, &client);
        if (client.right == width && client.bottom == height) {
            return windowState.clientWidth == width && windowState.clientHeight == height;
        }
        SetWindowPos(sharedWindow, nullptr, 0, 0, width + (outer.right - outer.left) - client.right,
                     height + (outer.bottom - outer.top) - client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER);
        drainMessages();
    }
    std::fprintf(stderr, "client area not %d x %d\n", width, height);
    return false;
}

void programFrame() {
    stepWindowFrame(0);
}

void swapFrame() {
    SwapBuffers(windowState.deviceContext);
}

int main(int argc, char** argv) {
    if (argc == 2 && argv[1][0] != '-') {
        if (!openWindow() || !sizeClient(800, 600) || !startWindowScene()) {
            std::fprintf(stderr, "no GL scene\n");
            return 1;
        }
        return writeFrozenFrames(argv[1]);
    }
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new GlWindowEnvironment);
    return RUN_ALL_TESTS();
}
