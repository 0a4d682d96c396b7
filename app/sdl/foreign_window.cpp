#include "foreign_window.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>

namespace {

struct ForeignWindow {
    Window id;               // the watched window; 0 while none is
    XErrorHandler previous;  // Xlib's handler, for errors once the start is over
    uint8_t gone;            // 1 once the window has been destroyed
    uint8_t probeFailed;     // 1 when the existence probe drew an error
    uint8_t started;         // 1 once the start is over
};

ForeignWindow foreign = {};

int noteProbeError(Display*, XErrorEvent*) {
    foreign.probeFailed = 1;
    return 0;
}

// The window can go at any moment: while SDL looks at it, while the context
// is made, or in a frame drawn before the DestroyNotify arrived. Xlib's own
// handler would end the program with a dump and exit code 1.
int noteWindowError(Display* display, XErrorEvent* error) {
    if (foreign.id != 0 && error->resourceid == foreign.id) {
        foreign.gone = 1;
        return 0;
    }
    if (foreign.started == 0 || foreign.gone != 0) {
        return 0;  // the failing call reports it, or the window's end explains it
    }
    return foreign.previous != nullptr ? foreign.previous(display, error) : 0;
}

// The window a property of `window` names; 0 when it names none.
Window windowProperty(Display* display, Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long left = 0;
    unsigned char* data = nullptr;
    Window named = 0;
    if (XGetWindowProperty(display, window, property, 0, 1, False, XA_WINDOW, &type, &format,
                           &count, &left, &data) == Success &&
        type == XA_WINDOW && format == 32 && count == 1) {
        named = *reinterpret_cast<Window*>(data);
    }
    if (data != nullptr) {
        XFree(data);
    }
    return named;
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

namespace {

enum class Probe { NoDisplay, Absent, Present };

// On a connection of its own, so that SDL's sees none of its errors.
Probe probeWindow(uint64_t id) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return Probe::NoDisplay;
    }
    foreign.probeFailed = 0;
    const XErrorHandler previous = XSetErrorHandler(noteProbeError);
    XWindowAttributes attributes;
    const bool found = XGetWindowAttributes(display, static_cast<Window>(id), &attributes) != 0;
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return found && foreign.probeFailed == 0 ? Probe::Present : Probe::Absent;
}

}  // namespace

bool foreignWindowExists(uint64_t id, bool handedOver) {
    const Probe probe = probeWindow(id);
    if (probe == Probe::Absent && handedOver) {
        foreign.gone = 1;
    } else if (probe == Probe::NoDisplay) {
        std::fprintf(stderr, "ringvoyage: no display: no X server answers (is DISPLAY set?)\n");
    } else if (probe == Probe::Absent) {
        std::fprintf(stderr, "ringvoyage: no window 0x%llx on this display\n",
                     static_cast<unsigned long long>(id));
    }
    return probe == Probe::Present;
}

void catchXErrors(uint64_t window) {
    foreign.id = static_cast<Window>(window);
    foreign.previous = XSetErrorHandler(noteWindowError);
}

void startDone() {
    foreign.started = 1;
}

// A manager names its check window on the root and on that window itself; a
// killed one leaves the root's property behind, naming a window that is gone
// or that does not name itself.
bool windowManagerRuns(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return true;  // Wayland: the compositor manages every window
    }
    Display* display = info.info.x11.display;
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    XSync(display, False);  // earlier errors to the handler in force
    const XErrorHandler previous = XSetErrorHandler(noteProbeError);
    const Window named = windowProperty(display, DefaultRootWindow(display), check);
    const bool runs = named != 0 && windowProperty(display, named, check) == named;
    XSync(display, False);  // a check window that is gone draws an error
    XSetErrorHandler(previous);
    return runs;
}

void watchForeignWindow(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return;
    }
    Display* display = info.info.x11.display;
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

bool foreignWindowVanished() {
    if (foreign.gone == 0 && foreign.id != 0 && probeWindow(foreign.id) == Probe::Absent) {
        foreign.gone = 1;
    }
    return foreign.gone != 0;
}
