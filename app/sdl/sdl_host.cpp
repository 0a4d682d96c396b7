#include "sdl_host.h"

#include <cstdio>

#include "controls.h"
#include "embedded_tile.h"
#include "frame.h"
#include "frame_clock.h"
#include "host_rules.h"
#include "scene.h"

SdlHost sdlHost = {};

namespace {

constexpr int32_t kKeyEscape = 27;  // the character Esc types on Windows

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
    for (const char* c = event.text; *c != '\0'; ++c) {
        handleKey(static_cast<unsigned char>(*c));
    }
}

void dispatch(const SDL_Event& event) {
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
        default:
            break;
    }
}

bool canDraw() {
    return sdlHost.hidden == 0 && hasPictureArea(sdlHost.width, sdlHost.height);
}

}  // namespace

bool attachContext(SDL_Window* window) {
    sdlHost.window = window;
    sdlHost.context = SDL_GL_CreateContext(window);
    if (sdlHost.context == nullptr || SDL_GL_MakeCurrent(window, sdlHost.context) != 0) {
        std::fprintf(stderr, "ringvoyage: no OpenGL context: %s\n", SDL_GetError());
        return false;
    }
    // Xvfb, for one, has no swap control: frames then swap as they can.
    SDL_GL_SetSwapInterval(0);
    storeDrawableSize();
    startFrameClock(static_cast<int64_t>(SDL_GetPerformanceCounter()),
                    static_cast<int64_t>(SDL_GetPerformanceFrequency()));
    initScene(embeddedTile(), sdlHost.width, sdlHost.height);
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
        char text[kReadoutSize];
        formatReadout(text, report.framesPerSecond);
        SDL_SetWindowTitle(sdlHost.window, text);
    }
    if (report.journeyOver != 0) {
        sdlHost.quit = 1;
    }
    SDL_GL_SwapWindow(sdlHost.window);
}

// Draws whenever no event waits; with nothing to draw into it waits for the
// next event instead, using no CPU.
void runFrames() {
    SDL_Event event;
    while (sdlHost.quit == 0) {
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
