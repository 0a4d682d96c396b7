#include "sdl_host.h"

#include <cstdio>

#include "controls.h"
#include "embedded_tile.h"
#include "foreign_window.h"
#include "frame.h"
#include "frame_clock.h"
#include "host_rules.h"
#include "saver_input.h"
#include "scene.h"

SdlHost sdlHost = {};

namespace {

constexpr int32_t kKeyEscape = 27;        // the character Esc types on Windows
constexpr int kFallbackRefreshRate = 60;  // when the display names none

void storeDrawableSize() {
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(sdlHost.window, &width, &height);
    sdlHost.width = width;
    sdlHost.height = height;
    resizeViewport(sdlHost.width, sdlHost.height);
}

void setHidden(bool hidden) {
    sdlHost.hidden = hidden ? 1 : 0;
}

void onWindowEvent(const SDL_WindowEvent& event) {
    switch (event.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            storeDrawableSize();
            break;
        case SDL_WINDOWEVENT_HIDDEN:
        case SDL_WINDOWEVENT_MINIMIZED:
            setHidden(true);
            break;
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
            setHidden(false);
            break;
        case SDL_WINDOWEVENT_CLOSE:
            sdlHost.quit = 1;
            break;
        default:
            break;
    }
}

// Keys that type no character; the rest arrive as text, as WM_CHAR does.
void onKeyDown(const SDL_KeyboardEvent& event) {
    if (sdlHost.foreign != 0) {
        return;  // the screen-saver daemon's window is not ours to steer
    }
    switch (event.keysym.sym) {
        case SDLK_ESCAPE:
            handleKey(kKeyEscape);
            break;
        case SDLK_F11:
            if (event.repeat == 0) {
                toggleFullscreen();
            }
            break;
        default:
            break;
    }
}

// Typed characters, keypad "+" and "-" included.
void onText(const SDL_TextInputEvent& event) {
    if (sdlHost.foreign != 0) {
        return;
    }
    for (const char* c = event.text; *c != '\0'; ++c) {
        handleKey(static_cast<unsigned char>(*c));
    }
}

// Measured on the desktop: a window going full screen under a resting
// pointer moves it in window coordinates.
void onPointerMotion() {
    int x = 0;
    int y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    if (movedBeyondSlack(x - sdlHost.pointerX, y - sdlHost.pointerY)) {
        sdlHost.quit = 1;
    }
}

// The screen saver's input: any of it ends the saver.
bool endsSaver(const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEWHEEL:
            sdlHost.quit = 1;
            return true;
        case SDL_MOUSEMOTION:
            onPointerMotion();
            return true;
        default:
            return false;
    }
}

void dispatch(const SDL_Event& event) {
    if (sdlHost.saver != 0 && endsSaver(event)) {
        return;
    }
    switch (event.type) {
        case SDL_QUIT:  // also SIGTERM and SIGINT
            sdlHost.quit = 1;
            break;
        case SDL_WINDOWEVENT:
            onWindowEvent(event.window);
            break;
        case SDL_KEYDOWN:
            onKeyDown(event.key);
            break;
        case SDL_TEXTINPUT:
            onText(event.text);
            break;
        case SDL_SYSWMEVENT:  // enabled for foreign windows only
            noteSystemEvent(event.syswm.msg);
            break;
        default:
            break;
    }
}

int refreshRate() {
    SDL_DisplayMode mode = {};
    const int display = SDL_GetWindowDisplayIndex(sdlHost.window);
    if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0 || mode.refresh_rate <= 0) {
        return kFallbackRefreshRate;
    }
    return mode.refresh_rate;
}

// Asks for swaps on the retrace; the sleep in paceFrame() caps the rate
// where the driver will not wait (Xvfb, for one, has no swap control).
void startPacing(bool paced) {
    if (!paced) {
        SDL_GL_SetSwapInterval(0);  // may fail as well: frames then swap as they can
        sdlHost.framePeriod = 0;
        return;
    }
    SDL_GL_SetSwapInterval(1);
    sdlHost.framePeriod = SDL_GetPerformanceFrequency() / static_cast<uint64_t>(refreshRate());
    sdlHost.lastSwap = SDL_GetPerformanceCounter();
}

// Sleeps away what is left of a frame period after a swap that returned
// early; a swap that waited for the retrace leaves less than a millisecond.
void paceFrame() {
    if (sdlHost.framePeriod == 0) {
        return;
    }
    const uint64_t due = sdlHost.lastSwap + sdlHost.framePeriod;
    const uint64_t now = SDL_GetPerformanceCounter();
    if (now < due) {
        SDL_Delay(static_cast<Uint32>((due - now) * 1000 / SDL_GetPerformanceFrequency()));
    }
    sdlHost.lastSwap = SDL_GetPerformanceCounter();
}

void showReadout(double framesPerSecond) {
    char text[kReadoutSize];
    formatReadout(text, framesPerSecond);
    if (sdlHost.foreign == 0) {
        SDL_SetWindowTitle(sdlHost.window, text);  // would rename the daemon's window
    }
    if (sdlHost.printRate != 0) {
        const char* line = text[0] == ' ' ? text + 1 : text;
        std::printf("%s\n", line);
        std::fflush(stdout);
    }
}

bool canDraw() {
    return sdlHost.hidden == 0 && hasPictureArea(sdlHost.width, sdlHost.height);
}

}  // namespace

bool attachContext(SDL_Window* window, bool paced) {
    sdlHost.window = window;
    sdlHost.context = SDL_GL_CreateContext(window);
    if (sdlHost.context == nullptr || SDL_GL_MakeCurrent(window, sdlHost.context) != 0) {
        std::fprintf(stderr, "ringvoyage: no OpenGL context: %s\n", SDL_GetError());
        return false;
    }
    startPacing(paced);
    storeDrawableSize();
    int x = 0;
    int y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    sdlHost.pointerX = x;
    sdlHost.pointerY = y;
    startFrameClock(static_cast<int64_t>(SDL_GetPerformanceCounter()),
                    static_cast<int64_t>(SDL_GetPerformanceFrequency()));
    initScene(sdlHost.tile.bgr != nullptr ? sdlHost.tile : embeddedTile(), sdlHost.width,
              sdlHost.height);
    return true;
}

void releaseContext() {
    if (sdlHost.context != nullptr) {
        releaseScene();
        SDL_GL_DeleteContext(sdlHost.context);
        sdlHost.context = nullptr;
    }
}

void drawOneFrame() {
    advanceFrameClock(static_cast<int64_t>(SDL_GetPerformanceCounter()));
    const FrameReport report = renderFrame(sdlHost.width, sdlHost.height);
    if (report.rateDue != 0) {
        showReadout(report.framesPerSecond);
    }
    if (report.journeyOver != 0) {
        sdlHost.quit = 1;
    }
    SDL_GL_SwapWindow(sdlHost.window);
    paceFrame();
}

// Draws whenever no event waits; with nothing to draw into it waits for the
// next event instead, using no CPU.
void runFrames() {
    SDL_Event event;
    while (sdlHost.quit == 0 && !foreignWindowGone()) {
        if (SDL_PollEvent(&event) != 0) {
            dispatch(event);
        } else if (canDraw()) {
            drawOneFrame();
        } else if (restEndsJourney()) {
            sdlHost.quit = 1;
        } else if (SDL_WaitEvent(&event) != 0) {
            dispatch(event);
        }
    }
}

void toggleFullscreen() {
    sdlHost.fullscreen = sdlHost.fullscreen == 0 ? 1 : 0;
    SDL_SetWindowFullscreen(sdlHost.window,
                            sdlHost.fullscreen != 0 ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}
