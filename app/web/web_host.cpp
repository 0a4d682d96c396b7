// The web page: the tunnel on a canvas that fills the page, driven by the
// browser's animation frames. Browser events become calls of the shared host
// code; the page (index.html) holds the notices, the end screen and the
// fullscreen button.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "command.h"
#include "embedded_tile.h"
#include "frame_step.h"
#include "scene.h"

namespace {

struct WebHost {
    int32_t width;   // canvas width in device pixels
    int32_t height;  // canvas height in device pixels
    uint8_t hidden;  // 1 while the tab is hidden
    uint8_t over;    // 1 while the end screen shows
};

WebHost webHost = {};
Voyage voyage = {};

constexpr char kCanvas[] = "#canvas";
constexpr int64_t kMicroseconds = 1000000;  // the clock's counter runs in microseconds

// clang-format off
// A legacy GL context on the page's canvas, made the way the GL emulation
// expects; 0 when the browser offers no WebGL.
EM_JS(int, page_create_context, (), {
    var attributes = {alpha: false, antialias: false, depth: false, stencil: false};
    return Browser.createContext(Module.canvas, true, true, attributes) ? 1 : 0;
});
EM_JS(void, page_show_no_webgl, (), { Module.showNoWebGL(); });
EM_JS(void, page_show_end, (), { Module.showEnd(); });
EM_JS(void, page_toggle_fullscreen, (), { Module.toggleFullscreen(); });
// The travel of ?travel=N, or -1 without one.
EM_JS(double, page_frozen_travel, (), {
    var text = new URLSearchParams(location.search).get("travel");
    var travel = text ? Number(text) : NaN;
    return travel >= 0 ? travel : -1;
});
// clang-format on

int64_t counterNow() {
    return static_cast<int64_t>(std::llround(emscripten_get_now() * 1000.0));
}

// The canvas's drawing buffer follows its size on the page and the device
// pixel ratio, so the picture stays sharp on dense screens.
void fitCanvas() {
    double cssWidth = 0.0;
    double cssHeight = 0.0;
    emscripten_get_element_css_size(kCanvas, &cssWidth, &cssHeight);
    const double ratio = emscripten_get_device_pixel_ratio();
    webHost.width = static_cast<int32_t>(std::lround(cssWidth * ratio));
    webHost.height = static_cast<int32_t>(std::lround(cssHeight * ratio));
    emscripten_set_canvas_element_size(kCanvas, webHost.width, webHost.height);
    resizeViewport(webHost.width, webHost.height);
}

void endJourney() {
    emscripten_cancel_main_loop();
    webHost.over = 1;
    emscripten_set_window_title(kProgramTitle);
    page_show_end();
}

// The browser shows the buffer when the callback returns: no swap here.
void drawFrame() {
    const FrameOutcome outcome =
        stepFrame(voyage, {counterNow(), webHost.width, webHost.height, webHost.hidden});
    if (outcome.readoutDue != 0) {
        emscripten_set_window_title(outcome.readout);
    }
    if (outcome.ended != 0) {
        endJourney();
    }
}

// Keys as on the desktop: the characters typed, Esc, and F11 for fullscreen.
// Shortcuts with Ctrl, Alt or Meta stay the browser's.
EM_BOOL onKeyDown(int, const EmscriptenKeyboardEvent* event, void*) {
    if (event->ctrlKey || event->altKey || event->metaKey) {
        return EM_FALSE;
    }
    if (std::strcmp(event->key, "Escape") == 0) {
        applyCommand(voyage.journey, Command::EndJourney);
        return EM_TRUE;
    }
    if (std::strcmp(event->key, "F11") == 0) {
        if (!event->repeat) {
            page_toggle_fullscreen();
        }
        return EM_TRUE;
    }
    Command command = Command::Faster;
    if (event->key[0] != '\0' && event->key[1] == '\0' &&
        commandForCharacter(static_cast<unsigned char>(event->key[0]), command)) {
        applyCommand(voyage.journey, command);
    }
    return EM_FALSE;
}

EM_BOOL onResize(int, const EmscriptenUiEvent*, void*) {
    fitCanvas();
    return EM_FALSE;
}

// A hidden tab gets no animation frames, so nothing is drawn; the readout
// counts afresh after, and after Esc a fly-out no one sees ends at once.
EM_BOOL onVisibility(int, const EmscriptenVisibilityChangeEvent* event, void*) {
    webHost.hidden = event->hidden ? 1 : 0;
    if (webHost.hidden != 0 && webHost.over == 0 &&
        stepFrame(voyage, {counterNow(), webHost.width, webHost.height, 1}).ended != 0) {
        endJourney();
    }
    return EM_FALSE;
}

void startFrames() {
    startFrameClock(voyage.clock, counterNow(), kMicroseconds);
    emscripten_set_main_loop(drawFrame, 0, 0);
}

}  // namespace

// The end screen's "fly again": a new journey from the start.
extern "C" EMSCRIPTEN_KEEPALIVE void flyAgain() {
    if (webHost.over == 0) {
        return;
    }
    webHost.over = 0;
    restartVoyage(voyage);
    startFrames();
}

int main() {
    if (page_create_context() == 0) {
        page_show_no_webgl();
        return 0;
    }
    const double frozenTravel = page_frozen_travel();
    if (frozenTravel >= 0.0 && frozenTravel < kWrapTravel) {
        freezeFrame(voyage, static_cast<float>(frozenTravel));
    }
    emscripten_set_window_title(kProgramTitle);
    fitCanvas();
    startVoyage(voyage, embeddedTile(), webHost.width, webHost.height);
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, onKeyDown);
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, onResize);
    emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, onVisibility);
    startFrames();
    return 0;
}
