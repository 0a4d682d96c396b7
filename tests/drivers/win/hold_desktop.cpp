// Keeps Wine's desktop process alive for a whole test run: owns one hidden
// window and waits for messages until it is killed or sent WM_CLOSE.
// Without it the first window of each test starts the desktop process anew
// (about a second each), and that process inherits the test's output pipe,
// which keeps CTest waiting for end of file while the desktop lingers.
#include <windows.h>

namespace {

constexpr char kClassName[] = " hold_desktop";

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc)) {
        return 1;
    }
    // Never shown: it only has to exist on the desktop.
    HWND window = CreateWindowExA(0, kClassName, kClassName, WS_OVERLAPPEDWINDOW, 0, 0, 16, 16,
                                  nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    MSG msg;
    ZeroMemory(&msg, sizeof msg);
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
