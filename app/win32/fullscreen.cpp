#include "fullscreen.h"

#include <windows.h>

#include <cassert>
#include <cstdint>

#include "window_state.h"

namespace {

struct FullscreenState {
    uint8_t wasMaximised;  // 1: leaving fullscreen maximises the window again
};

FullscreenState fullscreenState = {};

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

WINDOWPLACEMENT placementOf(HWND window) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    return placement;
}

// How far work-area coordinates (those of a placement) lie from the screen's.
POINT workAreaOffset(HWND window) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    return {monitor.rcWork.left - monitor.rcMonitor.left,
            monitor.rcWork.top - monitor.rcMonitor.top};
}

// The rectangle the window has, or would be restored to when minimised or
// maximised (where GetWindowRect gives the icon's or the screen's), in
// screen coordinates.
RECT normalWindowRect(HWND window) {
    RECT rect = {};
    if (IsIconic(window) == FALSE && IsZoomed(window) == FALSE) {
        GetWindowRect(window, &rect);
        return rect;
    }
    rect = placementOf(window).rcNormalPosition;
    const POINT offset = workAreaOffset(window);
    OffsetRect(&rect, offset.x, offset.y);
    return rect;
}

// Makes `rect` (screen coordinates) the window's normal rectangle, the one a
// restore gives, in the state `show`; `flags` may ask a restore from
// minimised to maximise.
void placeNormal(HWND window, RECT rect, UINT show, UINT flags) {
    WINDOWPLACEMENT placement = placementOf(window);
    const POINT offset = workAreaOffset(window);
    OffsetRect(&rect, -offset.x, -offset.y);
    placement.rcNormalPosition = rect;
    placement.showCmd = show;
    placement.flags = flags;
    SetWindowPlacement(window, &placement);
}

// Minimised or maximised, the window would be restored to its normal
// rectangle: while fullscreen, that is the screen. Then the window is a
// plain (not maximised) one, and only leaving fullscreen maximises it again.
void keepFullscreenOnRestore(HWND window, bool iconic, const RECT& full) {
    const WINDOWPLACEMENT placement = placementOf(window);
    fullscreenState.wasMaximised =
        iconic ? (placement.flags & WPF_RESTORETOMAXIMIZED) != 0 : IsZoomed(window) != FALSE;
    if (iconic || fullscreenState.wasMaximised != 0) {
        placeNormal(window, full, iconic ? SW_SHOWMINIMIZED : SW_SHOWNORMAL, 0);
    }
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
    const bool iconic = IsIconic(window) != FALSE;
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
    keepFullscreenOnRestore(window, iconic, {x, y, x + width, y + height});
    if (iconic) {
        // Moving an icon would only move the icon.
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    } else {
        SetWindowPos(window, HWND_TOP, x, y, width, height, 0);
        SetForegroundWindow(window);
        SetWindowPos(window, HWND_TOPMOST, x, y, width, height, 0);
    }
    windowState.fullscreen = 1;
}

void leaveFullscreen() {
    HWND window = windowState.mainWindow;
    assert(window != nullptr);
    const RECT& r = windowState.savedRect;
    const bool maximise = fullscreenState.wasMaximised != 0;
    const bool iconic = IsIconic(window) != FALSE;
    fullscreenState.wasMaximised = 0;
    setFrameStyle(window, true);
    if (iconic) {
        placeNormal(window, r, SW_SHOWMINIMIZED, maximise ? WPF_RESTORETOMAXIMIZED : 0);
    } else {
        if (IsZoomed(window) != FALSE) {
            // Workaround (Wine): a restore may maximise the borderless window
            // of a maximised-then-minimised one (its placement keeps
            // restore-to-maximised); un-maximise it, or it would still say so.
            ShowWindow(window, SW_RESTORE);
        }
        MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
    dropTopmost(window);
    SetMenu(window, windowState.savedMenu);
    dropTopmost(window);
    if (maximise && !iconic) {
        ShowWindow(window, SW_MAXIMIZE);
    }
    windowState.fullscreen = 0;
}
