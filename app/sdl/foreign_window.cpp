#include "foreign_window.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <cstdio>

namespace {

struct ForeignWindow {
    Window id;               // the watched window; 0 while none is
    XErrorHandler previous;  // SDL's handler, for errors about anything else
    uint8_t gone;            // 1 once the window has been destroyed
    uint8_t probeFailed;     // 1 when the existence probe drew an error
};

ForeignWindow foreign = {};

int noteProbeError(Display*, XErrorEvent*) {
    foreign.probeFailed = 1;
    return 0;
}

// A frame drawn before the DestroyNotify arrived draws an error about the
// window, which would otherwise end the program with exit code 1.
int noteWindowError(Display* display, XErrorEvent* error) {
    if (foreign.id != 0 && error->resourceid == foreign.id) {
        foreign.gone = 1;
        return 0;
    }
    return foreign.previous != nullptr ? foreign.previous(display, error) : 0;
}

}  // namespace

uint64_t rootWindowOfDisplay() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "ringvoyage: no display: no X server answers (is DISPLAY set?)\n");
        return 0;
    }
    const uint64_t root = DefaultRootWindow(display);
    XCloseDisplay(display);
    return root;
}

bool foreignWindowExists(uint64_t id) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "ringvoyage: no display: no X server answers (is DISPLAY set?)\n");
        return false;
    }
    foreign.probeFailed = 0;
    const XErrorHandler previous = XSetErrorHandler(noteProbeError);
    XWindowAttributes attributes;
    const bool found = XGetWindowAttributes(display, static_cast<Window>(id), &attributes) != 0;
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    if (!found || foreign.probeFailed != 0) {
        std::fprintf(stderr, "ringvoyage: no window 0x%llx on this display\n",
                     static_cast<unsigned long long>(id));
        return false;
    }
    return true;
}

void watchForeignWindow(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return;
    }
    Display* display = info.info.x11.display;
    foreign.id = info.info.x11.window;
    foreign.previous = XSetErrorHandler(noteWindowError);
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);  // to see DestroyNotify, which SDL drops
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, foreign.id, &attributes) != 0) {
        XSelectInput(display, foreign.id,
                     attributes.your_event_mask | StructureNotifyMask | ExposureMask);
    }
}

void noteSystemEvent(const SDL_SysWMmsg* message) {
    if (message != nullptr && message->subsystem == SDL_SYSWM_X11 &&
        message->msg.x11.event.type == DestroyNotify &&
        message->msg.x11.event.xdestroywindow.window == foreign.id) {
        foreign.gone = 1;
    }
}

bool foreignWindowGone() {
    return foreign.gone != 0;
}
