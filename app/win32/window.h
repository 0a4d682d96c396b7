// The window procedure of the one window, its GL context, menu and helpers.
#pragma once

#include <windows.h>

#include <cstdint>

#include "frame.h"
#include "pages.h"
#include "tile_image.h"

LRESULT CALLBACK mainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// What the window procedures of the program and of the screen saver share:
// Device context, pixel format, GL context (with the menu bar in between when
// wanted), made current without waiting for the retrace.
void attachGlContext(HWND window, bool withMenu);
// Releases and deletes the GL context and ends the message loop.
void releaseGlContext();
// Scene setup with the tile bitmap of this module, or the user's picture when
// it has pixels, for the stored client size; false without a current GL
// context, when nothing could be drawn.
bool startWindowScene(const TileImage& picture = {});
// The pixels of a 24-bit DIB section as the tile; empty (no pixels) for any
// other bitmap or none.
TileImage tileFromBitmap(HBITMAP bitmap);
// The readout into the title (unless titleless) and, at the journey's end,
// the close request.
void applyFrameReport(const FrameReport& report);
// Stores the client size of a WM_SIZE and sets the viewport.
void storeClientSize(LPARAM lParam);
// One animation frame once the loop runs; validates the window either way.
void paintFrame(HWND window);

// Registers the window class " Ringvoyage" with mainWndProc.
bool registerMainClass(HINSTANCE instance);
// Creates the 800 x 600 main window; its WM_CREATE makes the GL context current.
HWND createMainWindow(HINSTANCE instance);
// The program's icon in the system's big and small sizes, as the window's icons.
void setWindowIcons(HWND window, HINSTANCE instance);

// Chooses and sets the double-buffered RGBA pixel format; failures are ignored.
void setupPixelFormat(HDC deviceContext);
// 1 when wglSwapIntervalEXT exists (and was called), else 0.
int32_t setSwapInterval(int32_t interval);
// Menu bar with the one pop-up "?" of all commands.
void buildMenu(HWND window);
// printf to the debugger output, cut at 1023 characters.
void debugPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Reads the counter and updates time and delta of the frame clock.
void updateFrameClock();
// The maker's site address followed by `query`, in a zero-filled buffer.
void buildPageAddress(char (&address)[kPageAddressSize], const char* query);
