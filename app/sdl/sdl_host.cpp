#include "sdl_host.h"

#include <cstdio>

#include "command.h"
#include "embedded_tile.h"
#include "foreign_window.h"
#include "frame_pacer.h"
#include "frame_step.h"
#include "saver_input.h"
#include "scene.h"
#include "stdout_readout.h"

SdlHost sdlHost = {};

namespace {

Voyage voyage = {};
FramePacer pacer = {};  // interval 0: frames run free

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

// Keys that type no character; the rest arrive as text.
void onKeyDown(const SDL_KeyboardEvent& event) {
    if (sdlHost.foreign != 0) {
        return;  // the screen-saver daemon's window is not ours to steer
    }
    switch (event.keysym.sym) {
        case SDLK_ESCAPE:
            applyCommand(voyage.journey, Command::EndJourney);
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
        Command command = Command::Faster;
        if (commandForCharacter(static_cast<unsigned char>(*c), command)) {
            applyCommand(voyage.journey, command);
        }
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
    if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0) {
        return 0;
    }
    return mode.refresh_rate;
}

int64_t counterNow() {
    return static_cast<int64_t>(SDL_GetPerformanceCounter());
}

// Asks for swaps on the retrace; the pacer caps the rate where the driver
// will not wait (Xvfb, for one, has no swap control).
void startPacing(bool paced) {
    if (!paced) {
        SDL_GL_SetSwapInterval(0);  // may fail as well: frames then swap as they can
        return;
    }
    SDL_GL_SetSwapInterval(1);
    startFramePacer(pacer, static_cast<int64_t>(SDL_GetPerformanceFrequency()), refreshRate(),
                    counterNow());
}

void showReadout(const char* text) {
    if (sdlHost.foreign == 0) {
        SDL_SetWindowTitle(sdlHost.window, text);  // would rename the daemon's window
    }
    if (sdlHost.printRate != 0) {
        printReadoutLine(text);
    }
}

// One frame step; false when it rested and drew nothing.
bool stepOneFrame() {
    const HostFrame frame = {counterNow(), sdlHost.width, sdlHost.height, sdlHost.hidden, 0};
    const FrameOutcome outcome = stepFrame(voyage, frame);
    if (outcome.readoutDue != 0) {
        showReadout(outcome.readout);
    }
    if (outcome.ended != 0) {
        sdlHost.quit = 1;
    }
    if (outcome.rest == 0) {
        SDL_GL_SwapWindow(sdlHost.window);
    }
    return outcome.rest == 0;
}

}  // namespace

bool attachContext(SDL_Window* window, bool paced, const SaverSettings& settings) {
    sdlHost.window = window;
    sdlHost.context = SDL_GL_CreateContext(window);
    if (sdlHost.context == nullptr || SDL_GL_MakeCurrent(window, sdlHost.context) != 0) {
        if (!foreignWindowVanished()) {  // else the window's end is no failure
            std::fprintf(stderr, "ringvoyage: no OpenGL context: %s\n", SDL_GetError());
        }
        return false;
    }
    startPacing(paced);
    storeDrawableSize();
    int x = 0;
    int y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    sdlHost.pointerX = x;
    sdlHost.pointerY = y;
    startFrameClock(voyage.clock, counterNow(),
                    static_cast<int64_t>(SDL_GetPerformanceFrequency()));
    startVoyage(voyage, sdlHost.tile.bgr != nullptr ? sdlHost.tile : embeddedTile(), sdlHost.width,
                sdlHost.height);
    applySaverSettings(voyage.journey, settings);
    return true;
}

void releaseContext() {
    if (sdlHost.context != nullptr) {
        releaseScene(voyage.texture);
        SDL_GL_DeleteContext(sdlHost.context);
        sdlHost.context = nullptr;
    }
}

// Draws whenever no event waits and the pacer lets it; with nothing to draw
// into it waits for the next event instead, using no CPU.
void runFrames() {
    SDL_Event event;
    while (sdlHost.quit == 0 && !foreignWindowGone()) {
        if (SDL_PollEvent(&event) != 0) {
            dispatch(event);
            continue;
        }
        const int64_t wait = frameWaitMilliseconds(pacer, counterNow());
        if (wait > 0) {
            if (SDL_WaitEventTimeout(&event, static_cast<int>(wait)) != 0) {
                dispatch(event);
            }
        } else if (!stepOneFrame() && sdlHost.quit == 0 && SDL_WaitEvent(&event) != 0) {
            dispatch(event);
        }
    }
}

// With no window manager to act on it, SDL would wait for the change at
// each press and nothing would change.
void toggleFullscreen() {
    if (!windowManagerRuns(sdlHost.window)) {
        return;
    }
    sdlHost.fullscreen = sdlHost.fullscreen == 0 ? 1 : 0;
    SDL_SetWindowFullscreen(sdlHost.window,
                            sdlHost.fullscreen != 0 ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}
