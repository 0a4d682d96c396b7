// The web page: the tunnel on a canvas that fills the page, driven by the
// browser's animation frames. Browser events become calls of the shared host
// code; the page (index.html, page.js) holds the notices, the end screen, the
// on-screen controls, the settings in the link and fullscreen, and calls in
// through ringvoyage_command.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "controls.h"
#include "embedded_tile.h"
#include "frame.h"
#include "frame_clock.h"
#include "host_rules.h"
#include "journey.h"
#include "picture.h"
#include "saver_settings.h"
#include "scene.h"
#include "tunnel_state.h"

namespace {

struct WebHost {
    int32_t width;       // canvas width in device pixels
    int32_t height;      // canvas height in device pixels
    uint8_t hidden;      // 1 while the tab is hidden
    uint8_t over;        // 1 while the end screen shows
    uint8_t frozen;      // 1: every frame shows frozenTravel, with no clock
    uint8_t still;       // 1: one frame held, no frames running, until asked to fly
    float frozenTravel;  // travel of the still frame (?travel=N)
};

WebHost webHost = {};

constexpr int32_t kKeyEscape = 27;  // the character Esc types on Windows
constexpr char kCanvas[] = "#canvas";
constexpr int64_t kMicroseconds = 1000000;  // the clock's counter runs in microseconds

// What the page's own controls ask for, through ringvoyage_command.
enum PageCommand : int32_t {
    kCommandFaster = 1,
    kCommandSlower = 2,
    kCommandPulse = 3,
    kCommandFlyOut = 4,
    kCommandFly = 5,  // leaves the still frame
};

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
EM_JS(void, page_show_settings, (int speedSteps, int pulse), {
    Module.showSettings(speedSteps, pulse);
});
// The link's number `name` (speed, pulse), or NaN without a whole one.
EM_JS(double, page_link_number, (const char* name), {
    var text = new URLSearchParams(location.search).get(UTF8ToString(name));
    return /^[-+]?[0-9]{1,9}$/.test(text) ? Number(text) : NaN;
});
// 1 when the page asks to hold still (reduced motion) until "Fly".
EM_JS(int, page_starts_still, (), {
    return Module.startsStill() ? 1 : 0;
});
EM_JS(void, page_show_flying, (), { Module.showFlying(); });
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

// The page keeps its link and controls in step with the tunnel's settings.
void showSettings() {
    const SaverSettings settings = nearestSaverSettings(tunnel.speed, tunnel.pulse);
    page_show_settings(settings.speedSteps, settings.pulse);
}

// A frame of the tunnel as it stands, for a page that holds still.
void drawStill() {
    frameClock = {};
    renderFrame(webHost.width, webHost.height);
}

void endJourney() {
    emscripten_cancel_main_loop();
    webHost.over = 1;
    emscripten_set_window_title(kProgramTitle);
    page_show_end();
}

void drawFrame() {
    if (webHost.hidden != 0 || !hasPictureArea(webHost.width, webHost.height)) {
        if (restEndsJourney()) {
            endJourney();
        }
        return;
    }
    advanceFrameClock(counterNow());
    if (webHost.frozen != 0) {
        frameClock = {};
        tunnel.travel = webHost.frozenTravel;
        journey.carry = 0.0;
    }
    const FrameReport report = renderFrame(webHost.width, webHost.height);
    if (report.rateDue != 0) {
        char text[kReadoutSize];
        formatReadout(text, report.framesPerSecond);
        emscripten_set_window_title(text);
    }
    if (report.journeyOver != 0) {
        endJourney();
    }
}

void startFrames() {
    startFrameClock(counterNow(), kMicroseconds);
    emscripten_set_main_loop(drawFrame, 0, 0);
}

// The still frame ends when the viewer asks to fly, in or out.
void flyFromStill() {
    if (webHost.still != 0 && webHost.over == 0) {
        webHost.still = 0;
        page_show_flying();
        startFrames();
    }
}

// Keys as on the desktop: the characters typed, Esc, and F11 for fullscreen.
// Shortcuts with Ctrl, Alt or Meta stay the browser's.
EM_BOOL onKeyDown(int, const EmscriptenKeyboardEvent* event, void*) {
    if (event->ctrlKey || event->altKey || event->metaKey) {
        return EM_FALSE;
    }
    if (std::strcmp(event->key, "Escape") == 0) {
        handleKey(kKeyEscape);
        flyFromStill();
        return EM_TRUE;
    }
    if (std::strcmp(event->key, "F11") == 0) {
        if (!event->repeat) {
            page_toggle_fullscreen();
        }
        return EM_TRUE;
    }
    if (event->key[0] != '\0' && event->key[1] == '\0') {
        handleKey(static_cast<unsigned char>(event->key[0]));
        showSettings();
    }
    return EM_FALSE;
}

EM_BOOL onResize(int, const EmscriptenUiEvent*, void*) {
    fitCanvas();
    if (webHost.still != 0) {
        drawStill();
    }
    return EM_FALSE;
}

// A hidden tab gets no animation frames, so nothing is drawn; the readout
// counts afresh after, and after Esc a fly-out no one sees ends at once.
EM_BOOL onVisibility(int, const EmscriptenVisibilityChangeEvent* event, void*) {
    webHost.hidden = event->hidden ? 1 : 0;
    if (webHost.hidden != 0 && webHost.over == 0 && restEndsJourney()) {
        endJourney();
    }
    return EM_FALSE;
}

}  // namespace

// The end screen's "fly again": a new journey from the start.
extern "C" EMSCRIPTEN_KEEPALIVE void flyAgain() {
    if (webHost.over == 0) {
        return;
    }
    webHost.over = 0;
    startJourneyAgain();
    showSettings();
    restartFrameRate();
    startFrames();
}

// A picture of the user's, decoded by the browser and handed over a strip
// of rows at a time, scaled here as on the desktop.
struct WebPicture {
    TileScaler scaler;           // the picture being scaled
    std::vector<uint8_t> strip;  // rows the page writes before pictureFeed
    PictureTile tile;            // the tile shown, or the one the page stored
    uint8_t shown;               // 1 once the scene exists to show a tile in
};

WebPicture webPicture = {};

constexpr size_t kStripBytes = size_t{1} << 20;

// The first `available` bytes of a file of `fileSize` bytes; a PictureProblem.
extern "C" EMSCRIPTEN_KEEPALIVE int pictureCheck(const uint8_t* bytes, int available,
                                                 double fileSize) {
    PictureHeader header = {};
    return static_cast<int>(checkPictureHeader(bytes, static_cast<size_t>(available),
                                               static_cast<int64_t>(fileSize), header));
}

extern "C" EMSCRIPTEN_KEEPALIVE const char* pictureProblem(int problem) {
    return pictureProblemText(static_cast<PictureProblem>(problem));
}

// Where the page writes rows of width RGBA pixels; null for a size refused.
extern "C" EMSCRIPTEN_KEEPALIVE uint8_t* pictureStart(int width, int height) {
    if (!startTileScaler(webPicture.scaler, width, height, PixelOrder::Rgba)) {
        return nullptr;
    }
    webPicture.strip.resize(std::max(kStripBytes, 4 * static_cast<size_t>(width)));
    return webPicture.strip.data();
}

// Rows the strip holds for the picture being scaled.
extern "C" EMSCRIPTEN_KEEPALIVE int pictureStripRows() {
    return static_cast<int>(webPicture.strip.size() /
                            (4 * static_cast<size_t>(webPicture.scaler.width)));
}

extern "C" EMSCRIPTEN_KEEPALIVE void pictureFeed(int rows) {
    const size_t rowBytes = 4 * static_cast<size_t>(webPicture.scaler.width);
    for (int row = 0; row < rows; ++row) {
        feedTileRow(webPicture.scaler, webPicture.strip.data() + rowBytes * row);
    }
}

// The tile's bytes (sizeof PictureTile): the page stores them, or writes
// stored ones there before pictureShowStored.
extern "C" EMSCRIPTEN_KEEPALIVE uint8_t* pictureTileBytes() {
    return webPicture.tile.bgr;
}

extern "C" EMSCRIPTEN_KEEPALIVE int pictureTileSize() {
    return static_cast<int>(sizeof webPicture.tile.bgr);
}

// The scaled picture on the walls; 0 when rows are missing.
extern "C" EMSCRIPTEN_KEEPALIVE int pictureShow() {
    if (!finishTileScaler(webPicture.scaler, webPicture.tile)) {
        return 0;
    }
    if (webPicture.shown != 0) {
        replaceSceneTile(pictureTileImage(webPicture.tile));
    }
    return 1;
}

extern "C" EMSCRIPTEN_KEEPALIVE void pictureShowStored() {
    if (webPicture.shown != 0) {
        replaceSceneTile(pictureTileImage(webPicture.tile));
    }
}

extern "C" EMSCRIPTEN_KEEPALIVE void pictureBuiltIn() {
    if (webPicture.shown != 0) {
        replaceSceneTile(embeddedTile());
    }
}

// The page's controls: a PageCommand.
extern "C" EMSCRIPTEN_KEEPALIVE void ringvoyage_command(int32_t command) {
    switch (command) {
        case kCommandFaster:
            handleKey('+');
            break;
        case kCommandSlower:
            handleKey('-');
            break;
        case kCommandPulse:
            handleKey(' ');
            break;
        case kCommandFlyOut:
            handleKey(kKeyEscape);
            flyFromStill();
            break;
        case kCommandFly:
            flyFromStill();
            break;
        default:
            break;
    }
    showSettings();
}

int main() {
    if (page_create_context() == 0) {
        page_show_no_webgl();
        return 0;
    }
    const double frozenTravel = page_frozen_travel();
    if (frozenTravel >= 0.0 && frozenTravel < kWrapTravel) {
        webHost.frozen = 1;
        webHost.frozenTravel = static_cast<float>(frozenTravel);
    }
    emscripten_set_window_title(kProgramTitle);
    fitCanvas();
    initScene(embeddedTile(), webHost.width, webHost.height);
    const double speedSteps = page_link_number("speed");
    const double pulse = page_link_number("pulse");
    const bool haveSpeedSteps = !std::isnan(speedSteps);
    const bool havePulse = !std::isnan(pulse);
    applySaverSettings(saverSettingsFrom(haveSpeedSteps,
                                         haveSpeedSteps ? static_cast<int64_t>(speedSteps) : 0,
                                         havePulse, havePulse ? static_cast<int64_t>(pulse) : 0));
    showSettings();
    webPicture.shown = 1;
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, onKeyDown);
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, onResize);
    emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, onVisibility);
    if (page_starts_still() != 0 && webHost.frozen == 0) {
        webHost.still = 1;
        drawStill();
        return 0;
    }
    startFrames();
    return 0;
}
