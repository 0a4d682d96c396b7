#include "window.h"

#include <shellapi.h>

#include <cstdarg>
#include <cstdio>
#include <iterator>

#include "controls.h"
#include "frame.h"
#include "fullscreen.h"
#include "resource.h"
#include "scene.h"
#include "tile_image.h"
#include "window_state.h"

namespace {

constexpr DWORD kClassStyle = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
static_assert(kClassStyle == 0x23, "class style");
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
static_assert(kWindowStyle == 0x06CF0000, "window style");
constexpr int kStartWidth = 800;
constexpr int kStartHeight = 600;

constexpr DWORD kPixelFlags =
    PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER | PFD_DEPTH_DONTCARE;
static_assert(kPixelFlags == 0x20000025, "pixel format flags");
static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40, "pixel format request size");

constexpr int kDebugBufferSize = 1024;

using SwapIntervalProc = BOOL(WINAPI*)(int interval);

PIXELFORMATDESCRIPTOR pixelFormatRequest() {
    PIXELFORMATDESCRIPTOR request = {};
    request.nSize = sizeof request;
    request.nVersion = 1;
    request.dwFlags = kPixelFlags;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = 32;
    request.cDepthBits = 32;
    request.iLayerType = PFD_MAIN_PLANE;
    return request;
}

void openWebPage(const char* query) {
    char address[kPageAddressSize] = {};
    buildPageAddress(address, query);
    ShellExecuteA(nullptr, "open", address, nullptr, nullptr, SW_SHOW);
}

void openHomePage(HWND) {
    openWebPage(kHomePageQuery);
}
void openDonatePage(HWND) {
    openWebPage(kDonatePageQuery);
}
void fullscreenCommand(HWND) {
    toggleFullscreen();
}
void fasterCommand(HWND) {
    handleKey('+');
}
void slowerCommand(HWND) {
    handleKey('-');
}
// WM_DESTROY rather than WM_CLOSE: the destroy handling ends the loop.
void exitCommand(HWND window) {
    PostMessageA(window, WM_DESTROY, 0, 0);
}

struct MenuCommand {
    UINT id;                      // WM_COMMAND identifier
    const char* text;             // menu item text
    void (*action)(HWND window);  // what the command does
};

// In menu order.
constexpr MenuCommand kCommands[] = {
    {ID_HOMEPAGE, "Homepage", openHomePage},
    {ID_DONATE, "Donate", openDonatePage},
    {ID_FULLSCREEN, "Fullscreen\tF11", fullscreenCommand},
    {ID_FASTER, "Faster\t[+]", fasterCommand},
    {ID_SLOWER, "Slower\t[-]", slowerCommand},
    {ID_EXIT, "Exit", exitCommand},
};
static_assert(std::size(kCommands) == 6, "six menu commands");

HICON loadMainIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
    return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_MAIN), IMAGE_ICON,
                                         GetSystemMetrics(widthMetric),
                                         GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR));
}

void onCommand(HWND window, UINT id) {
    for (const MenuCommand& command : kCommands) {
        if (command.id == id) {
            command.action(window);
            return;
        }
    }
}

}  // namespace

void attachGlContext(HWND window, bool withMenu) {
    windowState.deviceContext = GetDC(window);
    setupPixelFormat(windowState.deviceContext);
    windowState.glContext = wglCreateContext(windowState.deviceContext);
    if (withMenu) {
        buildMenu(window);
    }
    wglMakeCurrent(windowState.deviceContext, windowState.glContext);
    setSwapInterval(0);  // frames must not wait for the vertical retrace
}

void releaseGlContext() {
    wglMakeCurrent(windowState.deviceContext, nullptr);
    wglDeleteContext(windowState.glContext);
    forgetScene();
    PostQuitMessage(0);
}

bool startWindowScene(const TileImage& picture) {
    // Without a GL context (no usable pixel format or driver) nothing could
    // ever be drawn: report it rather than run a blank window.
    if (wglGetCurrentContext() == nullptr) {
        return false;
    }
    if (picture.bgr != nullptr) {
        initScene(picture, windowState.clientWidth, windowState.clientHeight);
        return true;
    }
    // The DIB section holds the pixels GLU reads, so it outlives the upload.
    HBITMAP bitmap =
        static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_TUNNEL),
                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    initScene(tileFromBitmap(bitmap), windowState.clientWidth, windowState.clientHeight);
    if (bitmap != nullptr) {
        DeleteObject(bitmap);
    }
    return true;
}

TileImage tileFromBitmap(HBITMAP bitmap) {
    BITMAP info = {};
    if (bitmap == nullptr || GetObjectA(bitmap, sizeof info, &info) != sizeof info) {
        return {};
    }
    // Only a 24-bit DIB section with its pixels in memory has the layout the
    // upload reads; anything else would make GLU read out of bounds.
    if (info.bmBits == nullptr || info.bmWidth <= 0 || info.bmHeight <= 0 ||
        info.bmBitsPixel != 24 || info.bmPlanes != 1) {
        return {};
    }
    return {static_cast<int32_t>(info.bmWidth), static_cast<int32_t>(info.bmHeight),
            static_cast<const uint8_t*>(info.bmBits)};
}

void applyFrameReport(const FrameReport& report) {
    if (report.rateDue != 0 && windowState.titleless == 0) {
        char text[kReadoutSize];
        formatReadout(text, report.framesPerSecond);
        SetWindowTextA(windowState.mainWindow, text);
    }
    if (report.journeyOver != 0) {
        PostMessageA(windowState.mainWindow, WM_CLOSE, 0, 0);
    }
}

void storeClientSize(LPARAM lParam) {
    windowState.clientWidth = static_cast<int32_t>(LOWORD(lParam));
    windowState.clientHeight = static_cast<int32_t>(HIWORD(lParam));
    resizeViewport(windowState.clientWidth, windowState.clientHeight);
}

// Before the loop runs (and behind the start-up error box) the window is only
// validated: an invalid window would get paint messages without end.
void paintFrame(HWND window) {
    if (windowState.running == 1) {
        updateFrameClock();
        applyFrameReport(renderFrame(windowState.clientWidth, windowState.clientHeight));
        SwapBuffers(windowState.deviceContext);
    }
    ValidateRect(window, nullptr);
}

LRESULT CALLBACK mainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            attachGlContext(window, true);
            return 0;
        case WM_DESTROY:
            releaseGlContext();
            return 0;
        case WM_SIZE:
            storeClientSize(lParam);
            return 0;
        case WM_PAINT:
            paintFrame(window);
            return 0;
        case WM_CHAR:
            handleKey(static_cast<int32_t>(wParam));
            return 0;
        case WM_COMMAND:
            onCommand(window, LOWORD(wParam));
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool registerMainClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = kClassStyle;
    windowClass.lpfnWndProc = mainWndProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.lpszClassName = kProgramTitle;
    return RegisterClassExA(&windowClass) != 0;
}

HWND createMainWindow(HINSTANCE instance) {
    return CreateWindowExA(0, kProgramTitle, kProgramTitle, kWindowStyle, CW_USEDEFAULT,
                           CW_USEDEFAULT, kStartWidth, kStartHeight, nullptr, nullptr, instance,
                           nullptr);
}

void setupPixelFormat(HDC deviceContext) {
    const PIXELFORMATDESCRIPTOR request = pixelFormatRequest();
    const int format = ChoosePixelFormat(deviceContext, &request);
    debugPrintf("PixelFormat Selected: %d\nBPP: %d\n", format,
                GetDeviceCaps(deviceContext, BITSPIXEL));
    SetPixelFormat(deviceContext, format, &request);
}

void setWindowIcons(HWND window, HINSTANCE instance) {
    HICON big = loadMainIcon(instance, SM_CXICON, SM_CYICON);
    HICON small = loadMainIcon(instance, SM_CXSMICON, SM_CYSMICON);
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
}

int32_t setSwapInterval(int32_t interval) {
    // Through a generic function pointer: PROC and the real signature differ.
    const auto generic = reinterpret_cast<void (*)()>(wglGetProcAddress("wglSwapIntervalEXT"));
    if (generic == nullptr) {
        return 0;
    }
    reinterpret_cast<SwapIntervalProc>(generic)(interval);
    return 1;
}

void buildMenu(HWND window) {
    HMENU bar = CreateMenu();
    HMENU popup = CreatePopupMenu();
    for (const MenuCommand& command : kCommands) {
        AppendMenuA(popup, MF_STRING, command.id, command.text);
    }
    AppendMenuA(bar, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "?");
    SetMenu(window, bar);
}

void debugPrintf(const char* format, ...) {
    char text[kDebugBufferSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    text[sizeof text - 1] = '\0';  // some C runtimes leave a cut text unterminated
    OutputDebugStringA(text);
}

void updateFrameClock() {
    LARGE_INTEGER counter = {};
    QueryPerformanceCounter(&counter);
    advanceFrameClock(counter.QuadPart);
}

void buildPageAddress(char (&address)[kPageAddressSize], const char* query) {
    lstrcatA(address, kSiteAddress);
    lstrcatA(address, query);
}
