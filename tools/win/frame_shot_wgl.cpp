// frame_shot, Windows: a borderless window of exactly the client size with
// the program's pixel format and a WGL context, and the tile bitmap from the
// program's own resource, as the program loads it.
#include <windows.h>

#include <cstdio>

#include "frame_shot.h"
#include "picture_wic.h"
#include "resource.h"
#include "window.h"

namespace {

constexpr char kShotClass[] = "Ringvoyage frame shot";

// A shown popup window of width x height with a current context, or null.
HWND makeWindow(int32_t width, int32_t height) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kShotClass;
    if (RegisterClassExA(&windowClass) == 0) {
        return nullptr;
    }
    HWND window = CreateWindowExA(0, kShotClass, kShotClass, WS_POPUP | WS_VISIBLE, 0, 0, width,
                                  height, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) {
        return nullptr;
    }
    HDC deviceContext = GetDC(window);
    setupPixelFormat(deviceContext);
    HGLRC context = wglCreateContext(deviceContext);
    if (context == nullptr || !wglMakeCurrent(deviceContext, context)) {
        return nullptr;
    }
    return window;
}

}  // namespace

int main(int argc, char** argv) {
    ShotRequest request = {};
    if (!parseShotRequest(argc, argv, request)) {
        return kShotBadArguments;
    }
    if (makeWindow(request.width, request.height) == nullptr) {
        std::fprintf(stderr, "frame_shot: no OpenGL context (is DISPLAY set?)\n");
        return kShotFailed;
    }
    static PictureTile picture;
    const TileImage chosen = pictureTile("frame_shot", request.tile, picture);
    HBITMAP bitmap =
        static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_TUNNEL),
                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    const int status = shootFrame(request, chosen.bgr != nullptr ? chosen : tileFromBitmap(bitmap));
    if (bitmap != nullptr) {
        DeleteObject(bitmap);
    }
    return status;
}
