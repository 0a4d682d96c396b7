#include "fullscreen.h"

#include <windows.h>

#include <cassert>

#include "window_state.h"

namespace {

constexpr DWORD kFrameStyle = WS_CAPTION | WS_THICKFRAME;
static_assert(kFrameStyle == 0x00C40000, "caption and sizing border");
static_assert(~kFrameStyle == 0xFF3BFFFF, "mask that strips the frame");

void setFrameStyle(HWND window, bool framed) {
    const DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    const DWORD restyled = framed ? (style | kFrameStyle) : (style & ~kFrameStyle);
    SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(restyled));
}

// Leaves the topmost band without moving or sizing the window.
void dropTopmost(HWND window) {
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

// The rectangle the window has, or would be restored to when minimised
// (where GetWindowRect gives the icon's), in screen coordinates.
RECT normalWindowRect(HWND window) {
    RECT rect = {};
    if (IsIconic(window) == FALSE) {
        GetWindowRect(window, &rect);
        return rect;
    }
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    rect = placement.rcNormalPosition;
    // The placement is in work-area coordinates.
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    OffsetRect(&rect, monitor.rcWork.left - monitor.rcMonitor.left,
               monitor.rcWork.top - monitor.rcMonitor.top);
    return rect;
}

}  // namespace

void toggleFullscreen() {
    windowState.fullscreen = windowState.fullscreen == 0 ? 1 : 0;
    if (windowState.fullscreen == 1) {
        enterFullscreen();
    } else {
        leaveFullscreen();
    }
}

void enterFullscreen() {
    HWND window = windowState.mainWindow;
    assert(window != nullptr);
    windowState.savedRect = normalWindowRect(window);
    setFrameStyle(window, false);
    windowState.savedMenu = GetMenu(window);
    SetMenu(window, nullptr);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const int borderX = GetSystemMetrics(SM_CXBORDER);
    const int borderY = GetSystemMetrics(SM_CYBORDER);
    // The one-pixel borders fall just outside the screen.
    const int x = -borderX;
    const int y = -borderY;
    const int width = screenWidth + 2 * borderX;
    const int height = screenHeight + 2 * borderY;
    SetWindowPos(window, HWND_TOP, x, y, width, height, 0);
    SetForegroundWindow(window);
    SetWindowPos(window, HWND_TOPMOST, x, y, width, height, 0);
    windowState.fullscreen = 1;
}

void leaveFullscreen() {
    HWND window = windowState.mainWindow;
    assert(window != nullptr);
    const RECT& r = windowState.savedRect;
    setFrameStyle(window, true);
    MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    dropTopmost(window);
    SetMenu(window, windowState.savedMenu);
    dropTopmost(window);
    windowState.fullscreen = 0;
}
