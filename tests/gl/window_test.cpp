// The window procedure: context, sizes, paints, menu, commands, web addresses
// and the fullscreen toggle, all on the real window.
#include "window.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "command.h"
#include "frame.h"
#include "fullscreen.h"
#include "gl_window.h"
#include "resource.h"
#include "scene.h"
#include "test_bitmaps.h"
#include "tunnel_state.h"
#include "version.h"
#include "window_state.h"

namespace {

struct Viewport {
    GLint x, y, width, height;
};

Viewport viewport() {
    Viewport v = {-1, -1, -1, -1};
    glGetIntegerv(GL_VIEWPORT, &v.x);
    return v;
}

std::string menuText(HMENU menu, UINT position) {
    char text[64] = {};
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

RECT windowRect() {
    RECT r = {};
    GetWindowRect(testWindow(), &r);
    return r;
}

bool sameRect(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

DWORD style() {
    return static_cast<DWORD>(GetWindowLongA(testWindow(), GWL_STYLE));
}
DWORD exStyle() {
    return static_cast<DWORD>(GetWindowLongA(testWindow(), GWL_EXSTYLE));
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetProgramState();
        drainMessages();
    }
    void TearDown() override {
        windowState.running = 0;
        drainMessages();
        useRealClientSize();
    }
};

TEST_F(WindowTest, CreationLeavesADoubleBufferedContextCurrent) {
    EXPECT_EQ(wglGetCurrentContext(), windowState.glContext);
    EXPECT_EQ(WindowFromDC(windowState.deviceContext), testWindow());
    const int format = GetPixelFormat(windowState.deviceContext);
    ASSERT_GT(format, 0);
    PIXELFORMATDESCRIPTOR chosen = {};
    chosen.nSize = sizeof chosen;
    ASSERT_NE(DescribePixelFormat(windowState.deviceContext, format, sizeof chosen, &chosen), 0);
    EXPECT_TRUE(chosen.dwFlags & PFD_DOUBLEBUFFER);
    EXPECT_TRUE(chosen.dwFlags & PFD_SUPPORT_OPENGL);
    EXPECT_TRUE(chosen.dwFlags & PFD_DRAW_TO_WINDOW);
    EXPECT_EQ(chosen.iPixelType, PFD_TYPE_RGBA);
    // The interval creation left in force; Xvfb has no retrace to show it.
    using GetSwapIntervalProc = int(WINAPI*)();
    const auto getSwapInterval = reinterpret_cast<GetSwapIntervalProc>(
        reinterpret_cast<void (*)()>(wglGetProcAddress("wglGetSwapIntervalEXT")));
    ASSERT_NE(getSwapInterval, nullptr) << "Wine's GL offers wglGetSwapIntervalEXT";
    EXPECT_EQ(getSwapInterval(), 0) << "buffer swaps must not wait for the retrace";
    EXPECT_EQ(setSwapInterval(0), 1) << "Wine's GL offers wglSwapIntervalEXT";

    char className[64] = {};
    GetClassNameA(testWindow(), className, sizeof className);
    EXPECT_STREQ(className, " Ringvoyage");
    EXPECT_EQ(GetClassLongA(testWindow(), GCL_STYLE), 0x23);
    EXPECT_EQ(style() & 0x06CF0000u, 0x06CF0000u);
}

TEST_F(WindowTest, IconsAreOfTheBigAndTheSmallSize) {
    setWindowIcons(testWindow(), GetModuleHandleA(nullptr));
    const struct {
        WPARAM which;
        int width, height;
    } icons[] = {{ICON_BIG, 32, 32},
                 {ICON_SMALL, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)}};
    for (const auto& expected : icons) {
        const auto icon =
            reinterpret_cast<HICON>(SendMessageA(testWindow(), WM_GETICON, expected.which, 0));
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info)) << "icon " << expected.which;
        EXPECT_TRUE(info.fIcon) << "an icon, not a cursor";
        BITMAP bitmap = {};
        GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, expected.width) << "icon " << expected.which;
        EXPECT_EQ(bitmap.bmHeight, expected.height) << "icon " << expected.which;
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), 16);
}

TEST_F(WindowTest, SizeMessagesStoreTheClientAndSetTheViewport) {
    HWND window = testWindow();
    EXPECT_EQ(SendMessageA(window, WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0)), 0);
    EXPECT_EQ(windowState.clientWidth, 0);
    EXPECT_EQ(windowState.clientHeight, 0);
    Viewport v = viewport();
    EXPECT_EQ(v.x, 0);
    EXPECT_EQ(v.y, 0);
    EXPECT_EQ(v.width, 0);
    EXPECT_EQ(v.height, 1) << "a zero height reaches GL as 1";

    SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(1024, 600));
    EXPECT_EQ(windowState.clientWidth, 1024);
    EXPECT_EQ(windowState.clientHeight, 600);
    v = viewport();
    EXPECT_EQ(v.width, 1024);
    EXPECT_EQ(v.height, 600);

    SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(0xFFFF, 0x8000));
    EXPECT_EQ(windowState.clientWidth, 65535) << "the words are unsigned";
    EXPECT_EQ(windowState.clientHeight, 32768);
}

// Before the loop runs a paint draws nothing; after, it is one frame. Either
// way it validates the window: no paint storm.
TEST_F(WindowTest, PaintIsOneFrameOnceTheLoopRuns) {
    HWND window = testWindow();
    useRealClientSize();
    ASSERT_TRUE(startWindowScene());
    InvalidateRect(window, nullptr, FALSE);
    EXPECT_EQ(SendMessageA(window, WM_PAINT, 0, 0), 0);
    EXPECT_EQ(tunnel.visibleRings, 0) << "no frame was built";
    EXPECT_EQ(frameRate.framesSinceStamp, 0);
    EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));

    startRealFrameClock(0.25);
    windowState.running = 1;

    InvalidateRect(window, nullptr, FALSE);
    EXPECT_EQ(SendMessageA(window, WM_PAINT, 0, 0), 0);
    EXPECT_GE(frameClock.time, 0.25f);
    EXPECT_EQ(frameClock.delta, frameClock.time) << "the first delta counts from start";
    EXPECT_GE(frameClock.now, frameClock.start + frameClock.frequency / 4);
    EXPECT_EQ(tunnel.travel, static_cast<float>(8000.0 * static_cast<double>(frameClock.delta)));
    EXPECT_GT(tunnel.visibleRings, 1);
    EXPECT_EQ(frameRate.framesSinceStamp, 1);
    EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));

    const float firstTime = frameClock.time;
    SendMessageA(window, WM_PAINT, 0, 0);
    EXPECT_GE(frameClock.time, firstTime);
    // delta comes from the unrounded seconds, time is rounded: equal to within that rounding.
    EXPECT_NEAR(frameClock.delta, frameClock.time - firstTime, 1e-6);
    EXPECT_GT(frameClock.delta, 0.0f);
    EXPECT_EQ(frameRate.framesSinceStamp, 2);
}

// The window's side of the frame step: the readout as title (the screen
// saver keeps its own), one close request for each frame after the end.
TEST_F(WindowTest, FramesSetTheTitleAndAskToCloseAtTheEnd) {
    HWND window = testWindow();
    const ClientSize client = useRealClientSize();
    startVoyage(testVoyage, programTile(), client.width, client.height);
    const auto title = [window] {
        char text[256] = {};
        GetWindowTextA(window, text, sizeof text);
        return std::string(text);
    };
    SetWindowTextA(window, kProgramTitle);
    frameRate = {5.0f, 120, 1};
    windowState.titleless = 1;
    stepWindowFrame(frameClock.start + 6 * frameClock.frequency);
    EXPECT_EQ(title(), " Ringvoyage");
    windowState.titleless = 0;
    stepWindowFrame(frameClock.start + 7 * frameClock.frequency);
    EXPECT_EQ(title(), " Ringvoyage " RINGVOYAGE_READOUT_VERSION " - 1 FPS");

    MSG message = {};
    EXPECT_FALSE(PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    tunnel.quitRequested = 1;
    tunnel.travel = static_cast<float>(tunnel.lastShapedRing + 1) * 256.0f;
    for (int frame = 0; frame < 2; ++frame) {
        EXPECT_EQ(stepWindowFrame(frameClock.now).ended, 1);
        EXPECT_TRUE(PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE));
        EXPECT_FALSE(PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE))
            << "one request per frame";
    }
}

TEST_F(WindowTest, SceneNeedsAContextAndAUsableTileBitmap) {
    tunnel.speed = 123.0f;
    const uint32_t textureBefore = tunnelTexture.handle;
    HDC dc = wglGetCurrentDC();
    HGLRC context = wglGetCurrentContext();
    ASSERT_TRUE(wglMakeCurrent(dc, nullptr));
    const bool result = startWindowScene();
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    EXPECT_FALSE(result);
    EXPECT_EQ(tunnel.speed, 123.0f) << "the journey did not start";
    EXPECT_EQ(tunnelTexture.handle, textureBefore) << "the texture was left alone";

    // Missing, not a bitmap, or 8 or 32 bits per pixel, which an upload as
    // 24-bit BGR would misread: no tile.
    for (int32_t id : {9999, IDI_MAIN, 0, IDB_DEPTH8, IDB_DEPTH32}) {
        HBITMAP bitmap =
            static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id),
                                            IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        EXPECT_EQ(tileFromBitmap(bitmap).bgr, nullptr) << "resource " << id;
        DeleteObject(bitmap);
    }
}

TEST_F(WindowTest, MenuHasOnePopupWithTheCommandsInOrder) {
    HMENU bar = GetMenu(testWindow());
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(GetMenuItemCount(bar), 1);
    EXPECT_EQ(menuText(bar, 0), "?");
    HMENU popup = GetSubMenu(bar, 0);
    ASSERT_NE(popup, nullptr);
    struct Item {
        UINT id;
        const char* text;
    };
    const Item expected[] = {
        {ID_HOMEPAGE, "Homepage"},  {ID_DONATE, "Donate"},      {ID_FULLSCREEN, "Fullscreen\tF11"},
        {ID_FASTER, "Faster\t[+]"}, {ID_SLOWER, "Slower\t[-]"}, {ID_EXIT, "Exit"},
    };
    ASSERT_EQ(GetMenuItemCount(popup), 6);
    for (UINT i = 0; i < 6; ++i) {
        EXPECT_EQ(GetMenuItemID(popup, static_cast<int>(i)), expected[i].id) << "item " << i;
        EXPECT_EQ(menuText(popup, i), expected[i].text) << "item " << i;
    }
}

// Characters, Esc, menu items and the accelerator (1 in the high word) act as
// the commands they stand for; anything else leaves the journey alone.
TEST_F(WindowTest, MessagesActAsTheirCommands) {
    startJourney(windowVoyage.journey);
    const struct {
        UINT message;
        WPARAM wParam;
        std::optional<Command> meant;
    } cases[] = {{WM_CHAR, '+', Command::Faster},
                 {WM_COMMAND, MAKEWPARAM(ID_SLOWER, 0), Command::Slower},
                 {WM_CHAR, ' ', Command::TogglePulse},
                 {WM_COMMAND, MAKEWPARAM(ID_FASTER, 1), Command::Faster},
                 {WM_COMMAND, MAKEWPARAM(12345, 0), {}},
                 {WM_COMMAND, 0, {}},
                 {WM_CHAR, 'a', {}},
                 {WM_CHAR, 27 + 256, {}},
                 {WM_CHAR, '+' + 256, {}},
                 {WM_CHAR, 0, {}},
                 {WM_CHAR, 27, Command::EndJourney}};
    static Journey expected;
    for (const auto& c : cases) {
        expected = windowVoyage.journey;
        if (c.meant) {
            applyCommand(expected, *c.meant);
        }
        EXPECT_EQ(SendMessageA(testWindow(), c.message, c.wParam, 0), 0);
        EXPECT_EQ(std::memcmp(&expected.tunnel, &tunnel, sizeof tunnel), 0)
            << "message " << c.message << ", wParam " << c.wParam;
    }
    EXPECT_EQ(tunnel.quitRequested, 1);
}

TEST_F(WindowTest, ExitCommandPostsDestroyNotClose) {
    HWND window = testWindow();
    EXPECT_EQ(SendMessageA(window, WM_COMMAND, MAKEWPARAM(ID_EXIT, 0), 0), 0);
    MSG message = {};
    // Removed, not dispatched: the shared window must keep its context.
    EXPECT_TRUE(PeekMessageA(&message, window, WM_DESTROY, WM_DESTROY, PM_REMOVE));
    EXPECT_FALSE(PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(wglGetCurrentContext(), windowState.glContext);
}

TEST_F(WindowTest, PageAddressesJoinTheSiteAndTheQuery) {
    char address[kPageAddressSize] = {};
    buildPageAddress(address, kHomePageQuery);
    EXPECT_STREQ(address, "https://ringvoyage.example/?page=Windows/Tools/Ringvoyage/1");
    char donate[kPageAddressSize] = {};
    buildPageAddress(donate, kDonatePageQuery);
    EXPECT_STREQ(donate, "https://ringvoyage.example/?seite=PayPal&Program=Ringvoyage");
    for (size_t i = std::string(donate).size(); i < sizeof donate; ++i) {
        ASSERT_EQ(donate[i], '\0') << "the rest of the buffer stays zero";
    }
}

class FullscreenTest : public WindowTest {};

TEST_F(FullscreenTest, TogglesBetweenFramedAndTopmostBorderless) {
    HWND window = testWindow();
    windowState.fullscreen = 0;
    const RECT framed = windowRect();
    const DWORD framedStyle = style();
    HMENU menu = GetMenu(window);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(framedStyle & 0x00C40000u, 0x00C40000u);

    toggleFullscreen();
    drainMessages();
    EXPECT_EQ(windowState.fullscreen, 1);
    EXPECT_EQ(style() & 0x00C40000u, 0u) << "caption and sizing border removed";
    EXPECT_EQ(style() & ~0x00C40000u, framedStyle & ~0x00C40000u) << "other bits kept";
    EXPECT_EQ(GetMenu(window), nullptr);
    EXPECT_EQ(windowState.savedMenu, menu);
    EXPECT_TRUE(sameRect(windowState.savedRect, framed));
    EXPECT_TRUE(exStyle() & WS_EX_TOPMOST);
    const int bx = GetSystemMetrics(SM_CXBORDER);
    const int by = GetSystemMetrics(SM_CYBORDER);
    const RECT full = {-bx, -by, GetSystemMetrics(SM_CXSCREEN) + bx,
                       GetSystemMetrics(SM_CYSCREEN) + by};
    EXPECT_TRUE(sameRect(windowRect(), full));
    RECT client = {};
    GetClientRect(window, &client);
    EXPECT_EQ(windowState.clientWidth, client.right) << "WM_SIZE followed the new size";
    EXPECT_EQ(windowState.clientHeight, client.bottom);

    toggleFullscreen();
    drainMessages();
    EXPECT_EQ(windowState.fullscreen, 0);
    EXPECT_EQ(style(), framedStyle);
    EXPECT_EQ(GetMenu(window), menu) << "the same menu returns";
    EXPECT_TRUE(sameRect(windowRect(), framed));
    EXPECT_FALSE(exStyle() & WS_EX_TOPMOST);
    GetClientRect(window, &client);
    EXPECT_EQ(windowState.clientWidth, client.right);
    EXPECT_EQ(windowState.clientHeight, client.bottom);
}

TEST_F(FullscreenTest, MovedWindowReturnsToItsOwnRectangle) {
    HWND window = testWindow();
    windowState.fullscreen = 0;
    const RECT original = windowRect();
    MoveWindow(window, 37, 21, 640, 480, TRUE);
    drainMessages();
    const RECT moved = windowRect();
    EXPECT_EQ(moved.left, 37);
    toggleFullscreen();
    toggleFullscreen();
    drainMessages();
    EXPECT_TRUE(sameRect(windowRect(), moved));
    MoveWindow(window, original.left, original.top, original.right - original.left,
               original.bottom - original.top, TRUE);
    drainMessages();
}

}  // namespace
