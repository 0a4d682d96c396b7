#include "gl_window.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "window.h"
#include "window_state.h"

TunnelState& tunnel = windowVoyage.journey.tunnel;
FrameClock& frameClock = windowVoyage.clock;
FrameRate& frameRate = windowVoyage.rate;
Texture& tunnelTexture = windowVoyage.texture;

namespace {

HWND sharedWindow = nullptr;

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

FrameOutcome hostFrame() {
    return stepWindowFrame(frameClock.now);
}

FrameOutcome hostFrameAt(double seconds) {
    const double ticks = seconds * static_cast<double>(frameClock.frequency);
    return stepWindowFrame(frameClock.start + std::llround(ticks));
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

std::vector<uint8_t> readBackBuffer(int32_t width, int32_t height) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

std::vector<uint8_t> bitmapResourcePixels(int32_t id, int32_t& width, int32_t& height) {
    width = 0;
    height = 0;
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));  // RT_BITMAP
    if (found == nullptr) {
        return {};
    }
    const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
    BITMAPINFOHEADER header = {};
    std::memcpy(&header, bytes, sizeof header);
    if (header.biBitCount != 24 || header.biCompression != BI_RGB || header.biWidth <= 0 ||
        header.biHeight <= 0) {
        return {};
    }
    width = header.biWidth;
    height = header.biHeight;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
    const uint8_t* first = bytes + header.biSize;
    return std::vector<uint8_t>(first, first + stride * height);
}

bool projectionIsFinite() {
    GLfloat m[16] = {};
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    return std::all_of(std::begin(m), std::end(m), [](GLfloat v) { return std::isfinite(v); });
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
