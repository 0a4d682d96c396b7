// The native program: the tunnel in a window of its own, or as a display
// mode of xscreensaver in the window the daemon gives it, on SDL2 with a
// legacy GL context; the screen saver and the wallpaper on Wayland go to the
// Wayland host.
#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "foreign_window.h"
#include "frame_step.h"
#include "options.h"
#include "pages.h"
#include "picture_file.h"
#include "saver_settings.h"
#include "sdl_host.h"
#include "version.h"
#include "wayland_host.h"

namespace {

constexpr int kStartWidth = 800;
constexpr int kStartHeight = 600;
constexpr int kExitNoDisplay = 1;  // no display, window or GL context
constexpr int kExitBadArguments = 2;

void printUsage() {
    std::printf(
        "Usage: ringvoyage [--window | --saver | --wallpaper | --root | --window-id ID]\n"
        "                  [--speed N] [--pulse | --no-pulse] [--fps] [--tile FILE]\n"
        "       ringvoyage --help | --version | --homepage | --donate\n"
        "Flies through an endless, curving, tiled tunnel.\n\n"
        "  --window        in a window of its own (the default), with these keys:\n"
        "                    + / -  faster / slower (also on the keypad)\n"
        "                    space  rings from now on pulse in radius (toggle)\n"
        "                    F11    fullscreen on the desktop, and back\n"
        "                    Esc    end the journey: the program ends once you have flown out\n"
        "  --saver         a screen saver needing no daemon: full screen on every output,\n"
        "                  ended by any key, click, wheel or pointer motion; for\n"
        "                  swayidle -w timeout 300 'ringvoyage --saver' (xss-lock on X11)\n"
        "  --wallpaper     the tunnel as the desktop background on every output (Wayland\n"
        "                  with wlr-layer-shell; on X11 the root window); SIGTERM ends it\n"
        "  --root          as an xscreensaver mode: in the window XSCREENSAVER_WINDOW\n"
        "                  names, else in the root window; no keys, frames at the\n"
        "                  display's refresh rate\n"
        "  --window-id ID  the same in the X window ID (decimal, or hexadecimal after 0x)\n"
        "  --speed N       start N presses of + (of - when N is negative) from the\n"
        "                  normal speed, -4 to 4\n"
        "  --pulse, --no-pulse  pulsing rings from the start, or not (the default)\n"
        "  --fps           also print the frame rate on stdout once a second\n"
        "  --tile FILE     the picture FILE (PNG, JPEG, BMP, GIF) on the walls instead of\n"
        "                  the built-in tile; one that cannot be read gives the built-in\n"
        "                  tile and one line on stderr\n"
        "  --install, --mono, --visual NAME  accepted for xscreensaver and ignored\n"
        "  --homepage      open the home page:     %s%s\n"
        "  --donate        open the donation page: %s%s\n"
        "Options may be written with one dash as well.\n",
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

// Outside a Wayland session only X11 can show a window; trying the others
// would print their own complaints beside ours. A window made by another
// program is an X window in any case.
bool openDisplay(bool x11Only) {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (x11Only || wayland == nullptr || wayland[0] == '\0') {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "ringvoyage: no display: %s\n", SDL_GetError());
        return false;
    }
    if (showsNothing(SDL_GetCurrentVideoDriver())) {
        std::fprintf(stderr, "ringvoyage: no display: no X server answers (is DISPLAY set?)\n");
        SDL_Quit();
        return false;
    }
    return true;
}

// Mesa names a driver it cannot load on stderr, before the line of ours that
// says GL failed; LIBGL_DEBUG still lets it speak.
bool loadGl() {
    const char* debug = std::getenv("LIBGL_DEBUG");
    int saved = -1;
    if (debug == nullptr || debug[0] == '\0') {
        std::fflush(stderr);
        saved = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDERR_FILENO);
            close(null);
        }
    }
    const int loaded = SDL_GL_LoadLibrary(nullptr);
    if (saved >= 0) {
        dup2(saved, STDERR_FILENO);
        close(saved);
    }
    if (loaded != 0) {
        std::fprintf(stderr, "ringvoyage: no OpenGL: %s\n", SDL_GetError());
    }
    return loaded == 0;
}

// The screen saver's window covers the display, without a pointer. Asked
// for after the window exists: at creation an X server without a window
// manager would leave it at its start size.
SDL_Window* openOwnWindow(bool saver) {
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_Window* window = SDL_CreateWindow(
        kProgramTitle, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, kStartWidth, kStartHeight,
        SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN);
    if (window == nullptr) {
        std::fprintf(stderr, "ringvoyage: no window: %s\n", SDL_GetError());
    } else if (saver) {
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
        SDL_ShowCursor(SDL_DISABLE);
    } else {
        // SDL leaves typed characters off where the compositor could show an
        // on-screen keyboard (Wayland), and "+", "-" and space arrive as text.
        SDL_StartTextInput();
    }
    return window;
}

// The window xscreensaver hands over: XSCREENSAVER_WINDOW for --root, else
// the real root window; 0 (after one line) when there is none.
uint64_t rootTarget() {
    const char* named = std::getenv("XSCREENSAVER_WINDOW");
    if (named != nullptr && named[0] != '\0') {
        uint64_t id = 0;
        if (!parseWindowId(named, id)) {
            std::fprintf(stderr, "ringvoyage: XSCREENSAVER_WINDOW is no window id: '%s'\n", named);
        }
        return id;
    }
    return rootWindowOfDisplay();
}

// Whether `id` is the window the daemon handed over in XSCREENSAVER_WINDOW.
bool handedOverByDaemon(uint64_t id) {
    const char* named = std::getenv("XSCREENSAVER_WINDOW");
    uint64_t handed = 0;
    return named != nullptr && parseWindowId(named, handed) && handed == id;
}

// A window made by another program, drawn into with a GL context of ours.
SDL_Window* openForeignWindow(uint64_t id) {
    if (!foreignWindowExists(id, handedOverByDaemon(id))) {
        return nullptr;
    }
    SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
    SDL_Window* window = SDL_CreateWindowFrom(reinterpret_cast<void*>(static_cast<uintptr_t>(id)));
    if (window == nullptr) {
        if (!foreignWindowVanished()) {
            std::fprintf(stderr, "ringvoyage: cannot draw into window 0x%" PRIx64 ": %s\n", id,
                         SDL_GetError());
        }
        return nullptr;
    }
    watchForeignWindow(window);
    return window;
}

// Descriptors 0-2 closed by the caller would be reused for the X connection,
// and the readout written into it; they are given /dev/null first, as a
// daemon does.
void keepStandardStreams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            const int null = open("/dev/null", O_RDWR);
            if (null > fd) {
                dup2(null, fd);
                close(null);
            }
        }
    }
}

// The window drawn into when it is not our own; 0 when there is none.
uint64_t foreignTarget(const HostOptions& options) {
    switch (options.mode) {
        case HostMode::Root:
            return rootTarget();
        case HostMode::Wallpaper:
            return rootWindowOfDisplay();
        default:
            return options.windowId;
    }
}

// The tunnel until the journey, the window or the program ends.
int runTunnel(const HostOptions& options) {
    static PictureTile picture;
    sdlHost.tile = wallTile("ringvoyage", options.tilePath, picture);
    const bool saver = options.mode == HostMode::Saver;
    const bool foreign = options.mode != HostMode::Window && !saver;
    const uint64_t target = foreign ? foreignTarget(options) : 0;
    if (foreign && target == 0) {
        return kExitNoDisplay;
    }
    std::signal(SIGPIPE, SIG_IGN);  // a readout nobody reads any more is only lost
    catchXErrors(foreign ? target : 0);
    if (!openDisplay(foreign)) {
        return kExitNoDisplay;
    }
    if (!loadGl()) {
        SDL_Quit();
        return kExitNoDisplay;
    }
    SDL_Window* window = foreign ? openForeignWindow(target) : openOwnWindow(saver);
    if (window == nullptr) {
        SDL_GL_UnloadLibrary();
        SDL_Quit();
        return foreignWindowGone() ? 0 : kExitNoDisplay;
    }
    sdlHost.foreign = foreign ? 1 : 0;
    sdlHost.printRate = options.printRate;
    sdlHost.saver = saver ? 1 : 0;
    // A window not yet shown sends SHOWN when it is: until then, rest.
    sdlHost.hidden = (SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN) == 0 ? 1 : 0;
    const bool attached = attachContext(window, foreign || saver, options.settings);
    if (attached) {
        startDone();
        runFrames();
    }
    releaseContext();
    SDL_DestroyWindow(window);  // of a foreign window, only SDL's record of it
    SDL_GL_UnloadLibrary();
    SDL_Quit();
    return attached || foreignWindowGone() ? 0 : kExitNoDisplay;
}

// On Wayland the saver and the wallpaper have surfaces of their own on every
// output; on X11 they are a full-screen window and the root window.
int runEverywhere(const HostOptions& options) {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland == nullptr || wayland[0] == '\0') {
        return runTunnel(options);
    }
    const WaylandRole role =
        options.mode == HostMode::Saver ? WaylandRole::Saver : WaylandRole::Wallpaper;
    static PictureTile picture;
    const TileImage tile = wallTile("ringvoyage", options.tilePath, picture);
    std::signal(SIGPIPE, SIG_IGN);  // a readout nobody reads any more is only lost
    return runWaylandHost(role, options.settings, tile, options.printRate != 0);
}

}  // namespace

int main(int argc, char** argv) {
    keepStandardStreams();
    const HostOptions options = parseHostOptions(argc, argv);
    switch (options.mode) {
        case HostMode::Window:
        case HostMode::Root:
        case HostMode::WindowId:
            return runTunnel(options);
        case HostMode::Saver:
        case HostMode::Wallpaper:
            return runEverywhere(options);
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
            std::fprintf(stderr, "ringvoyage: %s '%s' (try --help)\n", options.reason,
                         options.refused);
            return kExitBadArguments;
    }
}
