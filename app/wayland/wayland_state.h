// The Wayland host's state: the connection, its globals and one surface per
// output. Shared by the host's files only.
#pragma once

#include <EGL/egl.h>
#include <wayland-client.h>
#include <wayland-egl.h>

#include <cstdint>

#include "saver_settings.h"
#include "voyage.h"
#include "wayland_host.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

constexpr int kMaxOutputs = 16;
constexpr int64_t kNanoseconds = 1000000000;
constexpr int32_t kFallbackMilliHertz = 60000;  // when an output names no rate
// An output whose frame callback is this many of its periods late is
// covered or asleep: the others go on without it.
constexpr int64_t kStallPeriods = 2;
constexpr char kNamespace[] = "ringvoyage";

struct WaylandHost;

struct Output {
    WaylandHost* host;             // back to the host, for the listeners
    wl_output* output;             // null: a free slot
    uint32_t name;                 // the output's global name in the registry
    int32_t modeWidth;             // current mode, for a configure that names no size
    int32_t modeHeight;            //
    int32_t milliHertz;            // refresh rate of the current mode, 0 unknown
    int32_t scale;                 // buffer pixels per surface unit (2 on HiDPI)
    wl_surface* surface;           // the surface shown on this output
    zwlr_layer_surface_v1* layer;  // its layer role, with layer-shell
    xdg_surface* xdgSurface;       // its window role, without
    xdg_toplevel* toplevel;        //
    wl_egl_window* eglWindow;      // the surface's buffers for EGL
    EGLSurface eglSurface;         // EGL_NO_SURFACE until the first configure
    wl_callback* frame;            // the frame callback awaited, or null
    int64_t committedAt;           // clock reading of the latest swap
    int32_t width;                 // buffer size in pixels
    int32_t height;                //
    int32_t pendingWidth;          // a toplevel's size until its surface configure
    int32_t pendingHeight;         //
    uint8_t ready;                 // 1: the compositor wants a frame here
};

struct WaylandHost {
    WaylandRole role;                 // saver or wallpaper
    wl_display* display;              // the connection to the compositor
    wl_registry* registry;            // its globals
    wl_compositor* compositor;        // makes the surfaces
    zwlr_layer_shell_v1* layerShell;  // null where the compositor has none
    xdg_wm_base* wmBase;              // the fallback for the saver
    wl_seat* seat;                    // the saver's input; null for the wallpaper
    wl_keyboard* keyboard;            // while the seat has one
    wl_pointer* pointer;              // while the seat has one
    EGLDisplay egl;                   // EGL on the connection
    EGLConfig config;                 // window surfaces with the OpenGL API
    EGLContext context;               // the one context, made current on each surface in turn
    Voyage* voyage;                   // the journey every output shows
    Output outputs[kMaxOutputs];      // one surface each; slots with a null output are free
    SaverSettings settings;           // start speed and pulse
    TileImage tile;          // the user's picture for the walls; no pixels: the built-in tile
    int signalFd;            // SIGTERM and SIGINT, read in the loop
    int32_t pointerX;        // where the pointer entered, in surface units
    int32_t pointerY;        //
    uint8_t surfacesWanted;  // 1 once the globals are known: outputs get surfaces at once
    uint8_t sceneReady;      // 1 once the scene is set up in the context
    uint8_t printRate;       // 1: the readout goes to stdout
    uint8_t quit;            // 1 once the loop is to end
    uint8_t failed;          // 1 when it ends for an error
};

// The saver's keyboard and pointer, followed as the seat's devices come and
// go (a virtual keyboard appears as it types): any key, click, wheel turn or
// motion beyond a jolt ends the saver.
void listenToSeat(WaylandHost& host, wl_seat* seat);
