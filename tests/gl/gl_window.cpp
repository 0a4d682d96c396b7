#include "gl_window.h"

#include <gtest/gtest.h>

#include "resource.h"
#include "window.h"
#include "window_state.h"

Voyage& testVoyage = windowVoyage;

namespace {

HWND sharedWindow = nullptr;
HBITMAP tileBitmap = nullptr;  // the DIB section holds the pixels GLU reads

class GlWindowEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        ASSERT_TRUE(registerMainClass(instance));
        sharedWindow = createMainWindow(instance);
        ASSERT_NE(sharedWindow, nullptr);
        windowState.mainWindow = sharedWindow;
        ShowWindow(sharedWindow, SW_SHOW);
        UpdateWindow(sharedWindow);
        drainMessages();
        ASSERT_NE(windowState.glContext, nullptr) << "no GL context (is DISPLAY set?)";
        ASSERT_EQ(wglGetCurrentContext(), windowState.glContext);
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

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new GlWindowEnvironment);
    return RUN_ALL_TESTS();
}
