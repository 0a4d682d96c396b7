// The native program: the tunnel in a window of its own, on SDL2 with a
// legacy GL context.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frame.h"
#include "options.h"
#include "pages.h"
#include "sdl_host.h"

namespace {

constexpr int kStartWidth = 800;
constexpr int kStartHeight = 600;
constexpr int kExitNoDisplay = 1;  // no display, window or GL context
constexpr int kExitBadArguments = 2;

void printUsage() {
    std::printf(
        "Usage: ringvoyage [--help | --version | --homepage | --donate]\n"
        "Flies through an endless, curving, tiled tunnel in a window of its own.\n\n"
        "  + / -   faster / slower (also on the keypad)\n"
        "  space   rings from now on pulse in radius (toggle)\n"
        "  F11     fullscreen on the desktop, and back\n"
        "  Esc     end the journey: the program ends once you have flown out\n\n"
        "  --homepage  open the home page:     %s%s\n"
        "  --donate    open the donation page: %s%s\n",
        kSiteAddress, kHomePageQuery, kSiteAddress, kDonatePageQuery);
}

int openPage(const char* query) {
    char address[kPageAddressSize];
    std::snprintf(address, sizeof address, "%s%s", kSiteAddress, query);
    std::printf("%s\n", address);
    std::fflush(stdout);
    if (SDL_OpenURL(address) != 0) {
        std::fprintf(stderr, "ringvoyage: cannot open %s: %s\n", address, SDL_GetError());
        return 1;
    }
    return 0;
}

// SDL falls back to drivers that show nothing when no display answers;
// only a driver the user named himself may do that.
bool showsNothing(const char* driver) {
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    if (chosen != nullptr && chosen[0] != '\0') {
        return false;
    }
    return driver == nullptr || std::strcmp(driver, "offscreen") == 0 ||
           std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "evdev") == 0;
}

// The tunnel in a window of its own until the journey or the window ends.
int runOwnWindow() {
    // Outside a Wayland session only X11 can show the window; trying the
    // others would print their own complaints beside ours.
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland == nullptr || wayland[0] == '\0') {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "ringvoyage: no display: %s\n", SDL_GetError());
        return kExitNoDisplay;
    }
    if (showsNothing(SDL_GetCurrentVideoDriver())) {
        std::fprintf(stderr, "ringvoyage: no display: no X server answers (is DISPLAY set?)\n");
        SDL_Quit();
        return kExitNoDisplay;
    }
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_Window* window = SDL_CreateWindow(
        kProgramTitle, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, kStartWidth, kStartHeight,
        SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN);
    if (window == nullptr) {
        std::fprintf(stderr, "ringvoyage: no window: %s\n", SDL_GetError());
        SDL_Quit();
        return kExitNoDisplay;
    }
    const bool attached = attachContext(window);
    if (attached) {
        runFrames();
    }
    releaseContext();
    SDL_DestroyWindow(window);
    SDL_Quit();
    return attached ? 0 : kExitNoDisplay;
}

}  // namespace

int main(int argc, char** argv) {
    const HostOptions options = parseHostOptions(argc, argv);
    switch (options.mode) {
        case HostMode::Window:
            return runOwnWindow();
        case HostMode::Help:
            printUsage();
            return 0;
        case HostMode::Version:
            std::printf("ringvoyage %s\n", RINGVOYAGE_VERSION);
            return 0;
        case HostMode::Homepage:
            return openPage(kHomePageQuery);
        case HostMode::Donate:
            return openPage(kDonatePageQuery);
        case HostMode::Invalid:
        default:
            std::fprintf(stderr, "ringvoyage: unknown argument '%s' (try --help)\n",
                         options.refused);
            return kExitBadArguments;
    }
}
