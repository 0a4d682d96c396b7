// Ringvoyage as a screen saver (Ringvoyage.scr): the program's frames in a
// borderless window over all screens (/s), inside a window given by the
// screen-saver settings (/p), or the settings dialog (/c). See
// saver_options.h for the command line.
#include <windows.h>
// After windows.h, which they need.
#include <commdlg.h>
#include <windowsx.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "frame.h"
#include "frame_pacing.h"
#include "message_loop.h"
#include "picture_wic.h"
#include "resource.h"
#include "saver_options.h"
#include "saver_registry.h"
#include "scene.h"
#include "window.h"
#include "window_state.h"

namespace {

constexpr char kSaverClass[] = " Ringvoyage screen saver";
constexpr char kRunningMutex[] = "Ringvoyage screen saver running";
constexpr int kMouseJitter = 4;     // pixels a mouse may drift without ending the saver
constexpr UINT kHostCheckMs = 250;  // how often the preview looks at its host window

struct SaverState {
    SaverMode mode;       // Run or Preview
    HWND previewParent;   // the window the preview draws in
    HWND window;          // the saver's own window
    POINT firstCursor;    // where the first mouse move put the cursor
    uint8_t cursorKnown;  // 1 once the first mouse move has been seen
    uint8_t wasActive;    // 1 once the saver window has been activated
};

SaverState saver = {};

void endSaver(HWND window) {
    PostMessageA(window, WM_CLOSE, 0, 0);
}

// The first move only tells where the cursor rests; later ones end the
// saver once they leave that spot by more than a little jitter.
void onMouseMove(HWND window, LPARAM lParam) {
    const POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (saver.cursorKnown == 0) {
        saver.firstCursor = at;
        saver.cursorKnown = 1;
        return;
    }
    if (std::abs(at.x - saver.firstCursor.x) > kMouseJitter ||
        std::abs(at.y - saver.firstCursor.y) > kMouseJitter) {
        endSaver(window);
    }
}

void onActivateApp(HWND window, bool active) {
    if (active) {
        saver.wasActive = 1;
    } else if (saver.wasActive != 0) {
        endSaver(window);
    }
}

// Workaround (Wine): the preview window lies inside another process's
// window, where Wine shows neither its GL drawable nor its own GDI output.
// Each frame is therefore also read back and drawn into the host window's
// area that the preview covers; on Windows the swapped GL frame lies on top
// of it. The buffer is sized on WM_SIZE, so frames allocate nothing.
struct PreviewPixels {
    std::vector<uint32_t> bgra;  // the back buffer, bottom row first
    BITMAPINFO format;           // 32-bit bottom-up DIB of the client size
};

PreviewPixels preview = {};

void sizePreview(int32_t width, int32_t height) {
    preview.bgra.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    BITMAPINFOHEADER& header = preview.format.bmiHeader;
    header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
}

void paintPreview(HWND window) {
    const int32_t width = preview.format.bmiHeader.biWidth;
    const int32_t height = preview.format.bmiHeader.biHeight;
    if (windowState.running == 1 && !preview.bgra.empty()) {
        updateFrameClock();
        applyFrameReport(renderFrame(width, height));
        readFrameBgra(preview.bgra.data(), width, height);
        HDC gdi = GetDC(saver.previewParent);
        SetDIBitsToDevice(gdi, 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                          static_cast<UINT>(height), preview.bgra.data(), &preview.format,
                          DIB_RGB_COLORS);
        ReleaseDC(saver.previewParent, gdi);
        SwapBuffers(windowState.deviceContext);
    }
    ValidateRect(window, nullptr);
}

void onSize(LPARAM lParam) {
    storeClientSize(lParam);
    if (saver.mode == SaverMode::Preview) {
        sizePreview(windowState.clientWidth, windowState.clientHeight);
    }
}

void onPaint(HWND window) {
    if (saver.mode == SaverMode::Preview) {
        paintPreview(window);
    } else {
        paintFrame(window);
    }
}

// The host's client size, or 0 x 0 while the host or its top window is
// hidden or minimised: then no one sees the preview, and the loop rests.
RECT visibleHostArea(HWND host) {
    RECT area = {};
    if (IsWindowVisible(host) != FALSE && IsIconic(GetAncestor(host, GA_ROOT)) == FALSE) {
        GetClientRect(host, &area);
    }
    return area;
}

// A thread timer, not one of the preview window's: when the host's process
// ends, Wine destroys the preview window with the host's without a
// WM_DESTROY, and a window timer would die with it. The preview ends once
// its host or its own window is gone, and otherwise follows the host's size.
void CALLBACK checkPreviewHost(HWND, UINT, UINT_PTR, DWORD) {
    if (IsWindow(saver.previewParent) == FALSE || IsWindow(saver.window) == FALSE) {
        PostQuitMessage(0);
        return;
    }
    const RECT area = visibleHostArea(saver.previewParent);
    if (area.right != windowState.clientWidth || area.bottom != windowState.clientHeight) {
        MoveWindow(saver.window, 0, 0, area.right, area.bottom, FALSE);
    }
}

// Input ends the full-screen saver only; the preview is just a picture.
LRESULT CALLBACK saverWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool fullScreen = saver.mode == SaverMode::Run;
    switch (message) {
        case WM_CREATE:
            attachGlContext(window, false);
            return 0;
        case WM_DESTROY:
            releaseGlContext();
            return 0;
        case WM_SIZE:
            onSize(lParam);
            return 0;
        case WM_PAINT:
            onPaint(window);
            return 0;
        case WM_SETCURSOR:
            if (fullScreen) {
                SetCursor(nullptr);
                return TRUE;
            }
            break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_XBUTTONDOWN:
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL:
            if (fullScreen) {
                endSaver(window);
                return 0;
            }
            break;
        case WM_MOUSEMOVE:
            if (fullScreen) {
                onMouseMove(window, lParam);
                return 0;
            }
            break;
        case WM_ACTIVATEAPP:
            if (fullScreen) {
                onActivateApp(window, wParam != FALSE);
            }
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool registerSaverClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = saverWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_MAIN));
    windowClass.lpszClassName = kSaverClass;
    return RegisterClassExA(&windowClass) != 0;
}

HWND createSaverWindow(HINSTANCE instance) {
    if (saver.mode == SaverMode::Preview) {
        const RECT area = visibleHostArea(saver.previewParent);
        return CreateWindowExA(0, kSaverClass, kProgramTitle, WS_CHILD | WS_VISIBLE, 0, 0,
                               area.right, area.bottom, saver.previewParent, nullptr, instance,
                               nullptr);
    }
    return CreateWindowExA(WS_EX_TOPMOST, kSaverClass, kProgramTitle, WS_POPUP | WS_VISIBLE,
                           GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                           GetSystemMetrics(SM_CXVIRTUALSCREEN),
                           GetSystemMetrics(SM_CYVIRTUALSCREEN), nullptr, nullptr, instance,
                           nullptr);
}

// A window of a program to draw in: not the desktop window, whose child
// would cover the screen, take no input and never end, nor a message-only
// window; its top window must lie on the desktop.
bool isPreviewHost(HWND host) {
    HWND desktop = GetDesktopWindow();
    return IsWindow(host) != FALSE && host != desktop &&
           GetAncestor(GetAncestor(host, GA_ROOT), GA_PARENT) == desktop;
}

// The saver's frames until its window is closed or destroyed.
int runSaver(HINSTANCE instance, const SaverOptions& options) {
    saver.mode = options.mode;
    saver.previewParent = reinterpret_cast<HWND>(static_cast<uintptr_t>(options.window));
    if (options.mode == SaverMode::Preview && !isPreviewHost(saver.previewParent)) {
        return 1;  // quietly: the settings page may close its preview at any time
    }
    if (options.mode == SaverMode::Run) {
        CreateMutexA(nullptr, FALSE, kRunningMutex);  // held until the process ends
        if (GetLastError() == ERROR_ALREADY_EXISTS) {
            return 0;  // one saver is enough
        }
    }
    windowState.running = 0;
    windowState.titleless = 1;
    if (!registerSaverClass(instance)) {
        return 1;
    }
    HWND window = createSaverWindow(instance);
    if (window == nullptr) {
        return 1;
    }
    windowState.mainWindow = window;
    saver.window = window;
    if (saver.mode == SaverMode::Preview) {
        SetTimer(nullptr, 0, kHostCheckMs, checkPreviewHost);
    }
    startFrameClock();
    if (!initSaverScene()) {
        DestroyWindow(window);
        return 1;
    }
    startFramePacing();
    windowState.running = 1;
    const WPARAM exitCode = runMessageLoop(nullptr);
    windowState.running = 0;
    return static_cast<int>(exitCode);
}

// "4 steps slower" ... "normal speed" ... "4 steps faster".
void fillSpeedChoices(HWND list) {
    char text[32];
    for (int32_t steps = -kMaxSpeedSteps; steps <= kMaxSpeedSteps; ++steps) {
        const int32_t count = steps < 0 ? -steps : steps;
        if (steps == 0) {
            lstrcpynA(text, "normal speed", sizeof text);
        } else {
            wsprintfA(text, "%d step%s %s", count, count == 1 ? "" : "s",
                      steps < 0 ? "slower" : "faster");
        }
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
}

// The dialog's picture until OK stores it; empty: the built-in tile.
char chosenPicture[MAX_PATH] = {};

// The chosen file's name, and below it why it cannot be used, if it cannot.
void showPicture(HWND dialog) {
    SetDlgItemTextA(dialog, IDC_SAVER_PICTURE_NAME,
                    chosenPicture[0] != '\0' ? chosenPicture : "the built-in tile");
    char note[128] = "";
    if (chosenPicture[0] != '\0') {
        static PictureTile tile;
        const PictureProblem problem = loadPictureFile(chosenPicture, tile);
        if (problem != PictureProblem::None) {
            wsprintfA(note, "This picture %s: the built-in tile is shown.",
                      pictureProblemText(problem));
        }
    }
    SetDlgItemTextA(dialog, IDC_SAVER_PICTURE_NOTE, note);
}

// The system's open-file dialog, starting at the chosen picture.
void choosePicture(HWND dialog) {
    char path[MAX_PATH];
    lstrcpynA(path, chosenPicture, sizeof path);
    OPENFILENAMEA open = {};
    open.lStructSize = sizeof open;
    open.hwndOwner = dialog;
    open.lpstrFilter = "Pictures (BMP, PNG, JPEG, GIF)\0*.bmp;*.png;*.jpg;*.jpeg;*.gif\0";
    open.lpstrFile = path;
    open.nMaxFile = sizeof path;
    open.lpstrTitle = "Picture for the tunnel walls";
    open.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (GetOpenFileNameA(&open) != FALSE) {
        lstrcpynA(chosenPicture, path, sizeof chosenPicture);
        showPicture(dialog);
    }
}

void showSettings(HWND dialog, const SaverSettings& settings) {
    HWND list = GetDlgItem(dialog, IDC_SAVER_SPEED);
    fillSpeedChoices(list);
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(settings.speedSteps + kMaxSpeedSteps), 0);
    CheckDlgButton(dialog, IDC_SAVER_PULSE, settings.pulse != 0 ? BST_CHECKED : BST_UNCHECKED);
}

SaverSettings chosenSettings(HWND dialog) {
    const LRESULT choice = SendDlgItemMessageA(dialog, IDC_SAVER_SPEED, CB_GETCURSEL, 0, 0);
    const bool pulse = IsDlgButtonChecked(dialog, IDC_SAVER_PULSE) == BST_CHECKED;
    return saverSettingsFrom(choice != CB_ERR, static_cast<int64_t>(choice) - kMaxSpeedSteps, true,
                             pulse ? 1 : 0);
}

INT_PTR CALLBACK settingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            showSettings(dialog, loadSaverSettings());
            loadSaverPicture(chosenPicture);
            showPicture(dialog);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_SAVER_PICTURE) {
                choosePicture(dialog);
                return TRUE;
            }
            if (LOWORD(wParam) == IDC_SAVER_BUILT_IN) {
                chosenPicture[0] = '\0';
                showPicture(dialog);
                return TRUE;
            }
            if (LOWORD(wParam) == IDOK) {
                storeSaverSettings(chosenSettings(dialog));
                storeSaverPicture(chosenPicture);
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

int runSettings(HINSTANCE instance, const SaverOptions& options) {
    HWND owner = reinterpret_cast<HWND>(static_cast<uintptr_t>(options.window));
    if (owner != nullptr && IsWindow(owner) == FALSE) {
        owner = nullptr;  // the dialog stands on its own rather than not at all
    }
    const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SAVER_SETTINGS), owner,
                                           settingsDialogProc, 0);
    return result == -1 ? 1 : 0;
}

// A command line nothing here understands: say what is accepted.
int reportBadArguments() {
    MessageBoxA(nullptr,
                "Ringvoyage screen saver: unknown command line.\n\n"
                "/s runs the saver, /p <window> shows a preview in that window, "
                "/c or no argument opens the settings.",
                "Ringvoyage screen saver", MB_ICONERROR);
    return 1;
}

}  // namespace

// The raw command line: the C run-time's lpCmdLine takes bytes of 0x80 and
// more for blanks, so that "Ringvoyage.scr é" would open the settings.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const SaverOptions options = parseSaverCommandLine(GetCommandLineA());
    switch (options.mode) {
        case SaverMode::Run:
        case SaverMode::Preview:
            return runSaver(instance, options);
        case SaverMode::Settings:
            return runSettings(instance, options);
        case SaverMode::Ignore:
            return 0;
        case SaverMode::Invalid:
        default:
            return reportBadArguments();
    }
}
