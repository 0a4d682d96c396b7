// Program entry: the window, the scene and the message loop.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "message_loop.h"
#include "picture_wic.h"
#include "resource.h"
#include "window.h"
#include "window_state.h"

namespace {

// Exit code of a start that failed: the box tells the user, the code tells
// whoever started the program.
constexpr int kStartupFailed = 1;

int reportStartupFailure(HWND owner, const char* text) {
    MessageBoxA(owner, text, "Error", MB_ICONERROR);
    return kStartupFailed;
}

// The picture file after --tile (or -tile), or null; every other argument
// is ignored, as it always was.
const char* tileArgument() {
    for (int i = 1; i + 1 < __argc; ++i) {
        if (std::strcmp(__argv[i], "--tile") == 0 || std::strcmp(__argv[i], "-tile") == 0) {
            return __argv[i + 1];
        }
    }
    return nullptr;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    windowState.running = 0;
    static PictureTile picture;
    const TileImage tile = pictureTile("Ringvoyage", tileArgument(), picture);
    if (!registerMainClass(instance)) {
        return reportStartupFailure(nullptr, "Failed to register the window class");
    }
    HWND window = createMainWindow(instance);
    if (window == nullptr) {
        return reportStartupFailure(nullptr, "Failed to create the window.");
    }
    setWindowIcons(window, instance);
    windowState.mainWindow = window;
    ShowWindow(window, SW_SHOW);  // the caller's show command is ignored
    UpdateWindow(window);
    startFrameClock();
    if (!startWindowScene(tile)) {
        return reportStartupFailure(window, "Failed to initialize 3D effect.");
    }
    windowState.running = 1;
    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCEL));
    const WPARAM exitCode = runMessageLoop(accelerators);
    windowState.running = 0;
    return static_cast<int>(exitCode);
}
