// Baseline for frame-rate measurements: the same window, pixel format,
// context and never-blocking message loop as Ringvoyage, but each frame only
// clears and swaps. The ratio of the two frame rates shows what the tunnel
// itself costs.
#include <GL/gl.h>
#include <windows.h>

#include <cstdio>

namespace {

constexpr char kClassName[] = " clear_swap";

typedef BOOL(WINAPI* SwapIntervalProc)(int interval);

// Module state of the one window.
struct ClearSwapState {
    HWND window;           // the top-level window
    HDC deviceContext;     // the class's own device context, kept
    HGLRC glContext;       // current from WM_CREATE to WM_DESTROY
    bool running;          // frames are drawn only while the loop runs
    LARGE_INTEGER freq;    // counter ticks per second
    LARGE_INTEGER stamp;   // counter at the last title update
    int framesSinceStamp;  // frames swapped since stamp
};
ClearSwapState state;

void setupPixelFormat(HDC dc) {
    PIXELFORMATDESCRIPTOR pfd;
    ZeroMemory(&pfd, sizeof pfd);
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER | PFD_DEPTH_DONTCARE;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cDepthBits = 32;
    pfd.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(dc, &pfd);
    SetPixelFormat(dc, format, &pfd);
}

// Buffer swaps must not wait for the retrace, as in the real program.
void disableSwapWait() {
    // Through void* since PROC and the real signature are unrelated types.
    const auto proc = reinterpret_cast<SwapIntervalProc>(
        reinterpret_cast<void*>(wglGetProcAddress("wglSwapIntervalEXT")));
    if (proc != nullptr) {
        proc(0);
    }
}

void onCreate(HWND window) {
    state.deviceContext = GetDC(window);
    setupPixelFormat(state.deviceContext);
    state.glContext = wglCreateContext(state.deviceContext);
    wglMakeCurrent(state.deviceContext, state.glContext);
    disableSwapWait();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
}

void onDestroy() {
    wglMakeCurrent(state.deviceContext, nullptr);
    wglDeleteContext(state.glContext);
    PostQuitMessage(0);
}

// Once per second the title shows the frames swapped since the last update.
void updateTitle() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const double elapsed =
        static_cast<double>(now.QuadPart - state.stamp.QuadPart) / state.freq.QuadPart;
    if (elapsed < 1.0) {
        return;
    }
    char text[256];
    std::snprintf(text, sizeof text, "%s - %g FPS", kClassName, state.framesSinceStamp / elapsed);
    SetWindowTextA(state.window, text);
    state.framesSinceStamp = 0;
    state.stamp = now;
}

void onPaint(HWND window) {
    if (!state.running) {
        return;
    }
    updateTitle();
    glClear(GL_COLOR_BUFFER_BIT);
    SwapBuffers(state.deviceContext);
    ++state.framesSinceStamp;
    ValidateRect(window, nullptr);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            onCreate(window);
            return 0;
        case WM_DESTROY:
            onDestroy();
            return 0;
        case WM_SIZE:
            glViewport(0, 0, LOWORD(lParam), HIWORD(lParam) ? HIWORD(lParam) : 1);
            return 0;
        case WM_PAINT:
            onPaint(window);
            return 0;
        case WM_CHAR:
            if (wParam == VK_ESCAPE) {
                PostMessageA(window, WM_CLOSE, 0, 0);
            }
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc)) {
        MessageBoxA(nullptr, "Failed to register the window class", "Error", MB_ICONERROR);
        return 0;
    }
    state.window = CreateWindowExA(
        0, kClassName, kClassName, WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
        CW_USEDEFAULT, CW_USEDEFAULT, 800, 600, nullptr, nullptr, instance, nullptr);
    if (state.window == nullptr) {
        MessageBoxA(nullptr, "Failed to create the window.", "Error", MB_ICONERROR);
        return 0;
    }
    ShowWindow(state.window, SW_SHOW);
    UpdateWindow(state.window);
    QueryPerformanceFrequency(&state.freq);
    QueryPerformanceCounter(&state.stamp);
    state.running = true;

    // Never blocks: an empty queue provokes the next paint at once.
    MSG msg;
    ZeroMemory(&msg, sizeof msg);
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    while (msg.message != WM_QUIT) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else {
            InvalidateRect(state.window, nullptr, FALSE);
        }
    }
    state.running = false;
    return static_cast<int>(msg.wParam);
}
