// Stands in for the screen-saver settings page in tests: a plain window whose
// handle it prints (decimal, one line) for "Ringvoyage.scr /p <handle>", then
// the desktop window's handle on a second line, and which it destroys after
// the given number of seconds before exiting 0.
//   preview_host <seconds 1..600>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr char kHostClass[] = "Ringvoyage preview host";

LRESULT CALLBACK hostWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc == 2 ? std::atoi(argv[1]) : 0;
    if (seconds < 1 || seconds > 600) {
        std::fprintf(stderr, "usage: preview_host <seconds 1..600>\n");
        return 1;
    }
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = hostWndProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kHostClass;
    RegisterClassExA(&windowClass);
    HWND window =
        CreateWindowExA(0, kHostClass, "Preview host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                        336, 279, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) {
        return 2;
    }
    std::printf("%lu\n%lu\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)),
                static_cast<unsigned long>(reinterpret_cast<uintptr_t>(GetDesktopWindow())));
    std::fflush(stdout);
    SetTimer(window, 1, static_cast<UINT>(seconds) * 1000, nullptr);
    MSG message = {};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchMessageA(&message);
    }
    return 0;
}
