#include "wayland_host.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string_view>

#include "embedded_tile.h"
#include "frame_step.h"
#include "scene.h"
#include "stdout_readout.h"
#include "wayland_state.h"

namespace {

int64_t clockNow() {
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * kNanoseconds + now.tv_nsec;
}

int64_t framePeriod(const Output& out) {
    const int32_t rate = out.milliHertz > 0 ? out.milliHertz : kFallbackMilliHertz;
    return kNanoseconds * 1000 / rate;
}

void fail(WaylandHost& host, const char* what) {
    std::fprintf(stderr, "ringvoyage: %s\n", what);
    host.failed = 1;
    host.quit = 1;
}

// --- Frames ---------------------------------------------------------------

void onFrameDone(void* data, wl_callback* callback, uint32_t /*time*/) {
    Output& out = *static_cast<Output*>(data);
    wl_callback_destroy(callback);
    out.frame = nullptr;
    out.ready = 1;
}

const wl_callback_listener kFrameListener = {onFrameDone};

bool canDraw(const Output& out) {
    return out.ready != 0 && out.eglSurface != EGL_NO_SURFACE &&
           hasPictureArea(out.width, out.height);
}

// Waiting for frame callbacks, but not from one that is late: that output
// is covered and waits for its callback alone.
bool waitsForCallback(const Output& out, int64_t now) {
    return out.frame != nullptr && now - out.committedAt < kStallPeriods * framePeriod(out);
}

// A frame is due once some output wants one and every output still
// expected to call back has done so, so that outputs of one rate share
// each frame of the journey.
bool frameDue(const WaylandHost& host, int64_t now) {
    bool wanted = false;
    for (const Output& out : host.outputs) {
        if (waitsForCallback(out, now)) {
            return false;
        }
        wanted = wanted || canDraw(out);
    }
    return wanted;
}

// How long to wait for events: until the earliest awaited callback would
// count as late, or for ever when no output awaits one (all covered).
int waitMilliseconds(const WaylandHost& host, int64_t now) {
    int64_t wait = -1;
    for (const Output& out : host.outputs) {
        if (waitsForCallback(out, now)) {
            const int64_t left = out.committedAt + kStallPeriods * framePeriod(out) - now;
            wait = wait < 0 || left < wait ? left : wait;
        }
    }
    return wait < 0 ? -1 : static_cast<int>(wait / 1000000 + 1);
}

// The first output that wants a frame takes the journey's step; the others
// show that frame again.
void drawOn(WaylandHost& host, Output& out, int64_t now, bool first) {
    eglMakeCurrent(host.egl, out.eglSurface, out.eglSurface, host.context);
    resizeViewport(out.width, out.height);
    if (first) {
        const FrameOutcome outcome = stepFrame(*host.voyage, {now, out.width, out.height, 0, 0});
        if (outcome.readoutDue != 0 && host.printRate != 0) {
            printReadoutLine(outcome.readout);
        }
        if (outcome.ended != 0) {
            host.quit = 1;
        }
    } else {
        redrawStep(*host.voyage, out.width, out.height);
    }
    out.ready = 0;
    out.frame = wl_surface_frame(out.surface);
    wl_callback_add_listener(out.frame, &kFrameListener, &out);
    eglSwapBuffers(host.egl, out.eglSurface);  // attaches and commits
    out.committedAt = clockNow();
}

// One step of the journey, drawn on every output that wants a frame.
void drawFrame(WaylandHost& host) {
    const int64_t now = clockNow();
    bool first = true;
    for (Output& out : host.outputs) {
        if (canDraw(out)) {
            drawOn(host, out, now, first);
            first = false;
        }
    }
}

// --- Output surfaces ------------------------------------------------------

void startScene(WaylandHost& host, const Output& out) {
    Voyage& voyage = *host.voyage;
    startFrameClock(voyage.clock, clockNow(), kNanoseconds);
    startVoyage(voyage, host.tile.bgr != nullptr ? host.tile : embeddedTile(), out.width,
                out.height);
    applySaverSettings(voyage.journey, host.settings);
    host.sceneReady = 1;
}

// The surface has its size, in the output's logical units: buffers of that
// size in the output's pixels, and a frame at once.
void applySize(Output& out, int32_t width, int32_t height) {
    WaylandHost& host = *out.host;
    const int32_t scale = out.scale > 0 ? out.scale : 1;
    const bool named = width > 0 && height > 0;
    out.width = named ? width * scale : out.modeWidth;
    out.height = named ? height * scale : out.modeHeight;
    if (!hasPictureArea(out.width, out.height)) {
        return;
    }
    wl_surface_set_buffer_scale(out.surface, named ? scale : 1);
    if (out.eglWindow != nullptr) {
        wl_egl_window_resize(out.eglWindow, out.width, out.height, 0, 0);
        out.ready = out.frame == nullptr ? 1 : out.ready;
        return;
    }
    out.eglWindow = wl_egl_window_create(out.surface, out.width, out.height);
    out.eglSurface = eglCreateWindowSurface(
        host.egl, host.config, reinterpret_cast<EGLNativeWindowType>(out.eglWindow), nullptr);
    if (out.eglSurface == EGL_NO_SURFACE ||
        eglMakeCurrent(host.egl, out.eglSurface, out.eglSurface, host.context) != EGL_TRUE) {
        fail(host, "no OpenGL surface on the output");
        return;
    }
    eglSwapInterval(host.egl, 0);  // the frame callbacks pace; a swap never waits
    if (host.sceneReady == 0) {
        startScene(host, out);
    }
    out.ready = 1;
}

void dropSurface(Output& out) {
    WaylandHost& host = *out.host;
    if (out.eglSurface != EGL_NO_SURFACE) {
        eglMakeCurrent(host.egl, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroySurface(host.egl, out.eglSurface);
        out.eglSurface = EGL_NO_SURFACE;
    }
    if (out.eglWindow != nullptr) {
        wl_egl_window_destroy(out.eglWindow);
        out.eglWindow = nullptr;
    }
    if (out.frame != nullptr) {
        wl_callback_destroy(out.frame);
        out.frame = nullptr;
    }
    if (out.layer != nullptr) {
        zwlr_layer_surface_v1_destroy(out.layer);
        out.layer = nullptr;
    }
    if (out.toplevel != nullptr) {
        xdg_toplevel_destroy(out.toplevel);
        xdg_surface_destroy(out.xdgSurface);
        out.toplevel = nullptr;
        out.xdgSurface = nullptr;
    }
    if (out.surface != nullptr) {
        wl_surface_destroy(out.surface);
        out.surface = nullptr;
    }
    out.ready = 0;
    out.width = 0;
    out.height = 0;
}

void onLayerConfigure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width,
                      uint32_t height) {
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    applySize(*static_cast<Output*>(data), static_cast<int32_t>(width),
              static_cast<int32_t>(height));
}

void onLayerClosed(void* data, zwlr_layer_surface_v1* /*layer*/) {
    dropSurface(*static_cast<Output*>(data));
}

const zwlr_layer_surface_v1_listener kLayerListener = {onLayerConfigure, onLayerClosed};

void onToplevelConfigure(void* data, xdg_toplevel* /*toplevel*/, int32_t width, int32_t height,
                         wl_array* /*states*/) {
    Output& out = *static_cast<Output*>(data);
    out.pendingWidth = width;
    out.pendingHeight = height;
}

void onToplevelClose(void* data, xdg_toplevel* /*toplevel*/) {
    static_cast<Output*>(data)->host->quit = 1;
}

xdg_toplevel_listener toplevelListener() {
    xdg_toplevel_listener listener = {};
    listener.configure = onToplevelConfigure;
    listener.close = onToplevelClose;
    return listener;
}

const xdg_toplevel_listener kToplevelListener = toplevelListener();

void onXdgSurfaceConfigure(void* data, xdg_surface* surface, uint32_t serial) {
    Output& out = *static_cast<Output*>(data);
    xdg_surface_ack_configure(surface, serial);
    applySize(out, out.pendingWidth, out.pendingHeight);
}

const xdg_surface_listener kXdgSurfaceListener = {onXdgSurfaceConfigure};

// The saver on the overlay layer with the keyboard to itself, the wallpaper
// on the background; both over the whole output, panels' zones included.
void makeLayerSurface(WaylandHost& host, Output& out) {
    const bool saver = host.role == WaylandRole::Saver;
    out.layer = zwlr_layer_shell_v1_get_layer_surface(
        host.layerShell, out.surface, out.output,
        saver ? ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY : ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND,
        kNamespace);
    zwlr_layer_surface_v1_set_anchor(
        out.layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                       ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_size(out.layer, 0, 0);
    zwlr_layer_surface_v1_set_exclusive_zone(out.layer, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        out.layer, saver ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE
                         : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    zwlr_layer_surface_v1_add_listener(out.layer, &kLayerListener, &out);
}

void makeFullscreenWindow(WaylandHost& host, Output& out) {
    out.xdgSurface = xdg_wm_base_get_xdg_surface(host.wmBase, out.surface);
    xdg_surface_add_listener(out.xdgSurface, &kXdgSurfaceListener, &out);
    out.toplevel = xdg_surface_get_toplevel(out.xdgSurface);
    xdg_toplevel_add_listener(out.toplevel, &kToplevelListener, &out);
    xdg_toplevel_set_title(out.toplevel, kProgramTitle + 1);
    xdg_toplevel_set_app_id(out.toplevel, kNamespace);
    xdg_toplevel_set_fullscreen(out.toplevel, out.output);
}

// The first commit carries no buffer: the compositor answers with the size.
void makeSurface(WaylandHost& host, Output& out) {
    out.surface = wl_compositor_create_surface(host.compositor);
    if (host.layerShell != nullptr) {
        makeLayerSurface(host, out);
    } else {
        makeFullscreenWindow(host, out);
    }
    wl_surface_commit(out.surface);
}

void onOutputGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                      const char*, int32_t) {}

void onOutputMode(void* data, wl_output* /*output*/, uint32_t flags, int32_t width, int32_t height,
                  int32_t refresh) {
    Output& out = *static_cast<Output*>(data);
    if ((flags & WL_OUTPUT_MODE_CURRENT) != 0) {
        out.modeWidth = width;
        out.modeHeight = height;
        out.milliHertz = refresh;
    }
}

void onOutputDone(void*, wl_output*) {}
// Takes effect with the next configure, which a new scale brings.
void onOutputScale(void* data, wl_output* /*output*/, int32_t factor) {
    static_cast<Output*>(data)->scale = factor;
}

wl_output_listener outputListener() {
    wl_output_listener listener = {};
    listener.geometry = onOutputGeometry;
    listener.mode = onOutputMode;
    listener.done = onOutputDone;
    listener.scale = onOutputScale;
    return listener;
}

const wl_output_listener kOutputListener = outputListener();

void addOutput(WaylandHost& host, uint32_t name, uint32_t version) {
    for (Output& out : host.outputs) {
        if (out.output == nullptr) {
            out = {};
            out.host = &host;
            out.name = name;
            out.eglSurface = EGL_NO_SURFACE;
            out.output = static_cast<wl_output*>(wl_registry_bind(
                host.registry, name, &wl_output_interface, version < 2 ? version : 2));
            wl_output_add_listener(out.output, &kOutputListener, &out);
            if (host.surfacesWanted != 0) {
                makeSurface(host, out);
            }
            return;
        }
    }
}

void removeOutput(Output& out) {
    dropSurface(out);
    wl_output_destroy(out.output);
    out.output = nullptr;
}

// --- Globals ----------------------------------------------------------------

void onPing(void*, xdg_wm_base* base, uint32_t serial) {
    xdg_wm_base_pong(base, serial);
}

const xdg_wm_base_listener kWmBaseListener = {onPing};

template <typename T>
T* bind(WaylandHost& host, uint32_t name, const wl_interface& interface, uint32_t offered,
        uint32_t wanted) {
    return static_cast<T*>(
        wl_registry_bind(host.registry, name, &interface, offered < wanted ? offered : wanted));
}

void onGlobal(void* data, wl_registry* /*registry*/, uint32_t name, const char* interface,
              uint32_t version) {
    WaylandHost& host = *static_cast<WaylandHost*>(data);
    const std::string_view kind = interface;
    if (kind == wl_compositor_interface.name) {
        host.compositor = bind<wl_compositor>(host, name, wl_compositor_interface, version, 4);
    } else if (kind == zwlr_layer_shell_v1_interface.name) {
        host.layerShell =
            bind<zwlr_layer_shell_v1>(host, name, zwlr_layer_shell_v1_interface, version, 1);
    } else if (kind == xdg_wm_base_interface.name) {
        host.wmBase = bind<xdg_wm_base>(host, name, xdg_wm_base_interface, version, 1);
        xdg_wm_base_add_listener(host.wmBase, &kWmBaseListener, &host);
    } else if (kind == wl_seat_interface.name && host.role == WaylandRole::Saver &&
               host.seat == nullptr) {
        host.seat = bind<wl_seat>(host, name, wl_seat_interface, version, 5);
        listenToSeat(host, host.seat);
    } else if (kind == wl_output_interface.name) {
        addOutput(host, name, version);
    }
}

void onGlobalRemove(void* data, wl_registry* /*registry*/, uint32_t name) {
    for (Output& out : static_cast<WaylandHost*>(data)->outputs) {
        if (out.output != nullptr && out.name == name) {
            removeOutput(out);
        }
    }
}

const wl_registry_listener kRegistryListener = {onGlobal, onGlobalRemove};

// --- Start, loop, end -------------------------------------------------------

bool startEgl(WaylandHost& host) {
    host.egl = eglGetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, host.display, nullptr);
    EGLint major = 0;
    EGLint minor = 0;
    if (host.egl == EGL_NO_DISPLAY || eglInitialize(host.egl, &major, &minor) != EGL_TRUE ||
        eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
        return false;
    }
    const EGLint attributes[] = {EGL_SURFACE_TYPE,
                                 EGL_WINDOW_BIT,
                                 EGL_RENDERABLE_TYPE,
                                 EGL_OPENGL_BIT,
                                 EGL_RED_SIZE,
                                 8,
                                 EGL_GREEN_SIZE,
                                 8,
                                 EGL_BLUE_SIZE,
                                 8,
                                 EGL_NONE};
    EGLint count = 0;
    if (eglChooseConfig(host.egl, attributes, &host.config, 1, &count) != EGL_TRUE || count < 1) {
        return false;
    }
    // No attributes: a compatibility context, as the renderer's immediate mode needs.
    host.context = eglCreateContext(host.egl, host.config, EGL_NO_CONTEXT, nullptr);
    return host.context != EGL_NO_CONTEXT;
}

// Signals arrive as readable data, so the loop's poll sees them; blocked
// before EGL starts its threads, which inherit the mask.
int blockSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigprocmask(SIG_BLOCK, &set, nullptr);
    return signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
}

const char* checkShells(const WaylandHost& host) {
    if (host.compositor == nullptr) {
        return "the compositor offers no wl_compositor";
    }
    if (host.role == WaylandRole::Wallpaper && host.layerShell == nullptr) {
        return "no wallpaper: the compositor offers no wlr-layer-shell";
    }
    if (host.layerShell == nullptr && host.wmBase == nullptr) {
        return "the compositor offers neither wlr-layer-shell nor xdg-shell";
    }
    return nullptr;
}

// Waits up to `timeout` ms (-1: for ever) for the compositor or a signal,
// then runs the listeners of what arrived.
void waitForEvents(WaylandHost& host, int timeout) {
    while (wl_display_prepare_read(host.display) != 0) {
        wl_display_dispatch_pending(host.display);
    }
    wl_display_flush(host.display);
    pollfd fds[2] = {{wl_display_get_fd(host.display), POLLIN, 0}, {host.signalFd, POLLIN, 0}};
    if (poll(fds, 2, timeout) > 0 && (fds[0].revents & POLLIN) != 0) {
        wl_display_read_events(host.display);
    } else {
        wl_display_cancel_read(host.display);
    }
    if ((fds[0].revents & (POLLERR | POLLHUP)) != 0 ||
        wl_display_dispatch_pending(host.display) < 0) {
        fail(host, "the compositor closed the connection");
    }
    signalfd_siginfo info = {};
    if ((fds[1].revents & POLLIN) != 0 && read(host.signalFd, &info, sizeof info) > 0) {
        host.quit = 1;
    }
}

void runLoop(WaylandHost& host) {
    while (host.quit == 0) {
        const int64_t now = clockNow();
        if (frameDue(host, now)) {
            drawFrame(host);
            waitForEvents(host, 0);
            continue;
        }
        const int timeout = waitMilliseconds(host, now);
        if (timeout < 0 && host.sceneReady != 0) {
            // Nothing on screen wants a frame: a rest, by the frame step's rule.
            if (stepFrame(*host.voyage, {now, 0, 0, 1, 0}).ended != 0) {
                break;
            }
        }
        waitForEvents(host, timeout);
    }
}

void shutDown(WaylandHost& host) {
    if (host.sceneReady != 0) {
        for (Output& out : host.outputs) {
            if (out.eglSurface != EGL_NO_SURFACE) {
                eglMakeCurrent(host.egl, out.eglSurface, out.eglSurface, host.context);
                releaseScene(host.voyage->texture);
                break;
            }
        }
    }
    for (Output& out : host.outputs) {
        if (out.output != nullptr) {
            removeOutput(out);
        }
    }
    if (host.context != EGL_NO_CONTEXT) {
        eglMakeCurrent(host.egl, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(host.egl, host.context);
    }
    if (host.egl != EGL_NO_DISPLAY) {
        eglTerminate(host.egl);
    }
    if (host.keyboard != nullptr) {
        wl_keyboard_destroy(host.keyboard);
    }
    if (host.pointer != nullptr) {
        wl_pointer_destroy(host.pointer);
    }
    if (host.seat != nullptr) {
        wl_seat_destroy(host.seat);
    }
    if (host.layerShell != nullptr) {
        zwlr_layer_shell_v1_destroy(host.layerShell);
    }
    if (host.wmBase != nullptr) {
        xdg_wm_base_destroy(host.wmBase);
    }
    if (host.compositor != nullptr) {
        wl_compositor_destroy(host.compositor);
    }
    wl_registry_destroy(host.registry);
    wl_display_disconnect(host.display);
}

}  // namespace

int runWaylandHost(WaylandRole role, const SaverSettings& settings, const TileImage& tile,
                   bool printRate) {
    static Voyage voyage = {};
    WaylandHost host = {};  // the listeners hold pointers into it until the end
    host.voyage = &voyage;
    host.role = role;
    host.settings = settings;
    host.tile = tile;
    host.printRate = printRate ? 1 : 0;
    host.egl = EGL_NO_DISPLAY;
    host.context = EGL_NO_CONTEXT;
    host.display = wl_display_connect(nullptr);
    if (host.display == nullptr) {
        std::fprintf(stderr, "ringvoyage: no Wayland compositor answers\n");
        return 1;
    }
    host.signalFd = blockSignals();
    host.registry = wl_display_get_registry(host.display);
    wl_registry_add_listener(host.registry, &kRegistryListener, &host);
    wl_display_roundtrip(host.display);  // the globals
    wl_display_roundtrip(host.display);  // the outputs' modes
    const char* missing = checkShells(host);
    if (missing != nullptr) {
        fail(host, missing);
    } else if (!startEgl(host)) {
        fail(host, "no OpenGL context on the compositor (EGL)");
    } else {
        host.surfacesWanted = 1;
        for (Output& out : host.outputs) {
            if (out.output != nullptr) {
                makeSurface(host, out);
            }
        }
        runLoop(host);
    }
    shutDown(host);
    close(host.signalFd);
    return host.failed != 0 ? 1 : 0;
}
