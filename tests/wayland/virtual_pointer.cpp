// A pointer for the tests, which have no pointer device: it appears on the
// seat, waits for clients to bind it, then does each step of its command
// line in turn: "move DX DY", "click" (left button) or "wheel", with a
// pause between steps.
#include <unistd.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

constexpr unsigned kLeftButton = 0x110;  // BTN_LEFT
constexpr useconds_t kSettle = 1500000;  // clients bind a new pointer first

struct Globals {
    wl_seat* seat;
    zwlr_virtual_pointer_manager_v1* manager;
};

void onGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
              uint32_t /*version*/) {
    Globals& globals = *static_cast<Globals*>(data);
    const std::string_view kind = interface;
    if (kind == wl_seat_interface.name && globals.seat == nullptr) {
        globals.seat =
            static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (kind == zwlr_virtual_pointer_manager_v1_interface.name) {
        globals.manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    }
}

void onGlobalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener kRegistryListener = {onGlobal, onGlobalRemove};

}  // namespace

int main(int argc, char** argv) {
    wl_display* display = wl_display_connect(nullptr);
    Globals globals = {};
    if (display == nullptr) {
        std::fprintf(stderr, "virtual_pointer: no compositor\n");
        return 1;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &kRegistryListener, &globals);
    wl_display_roundtrip(display);
    if (globals.manager == nullptr) {
        std::fprintf(stderr, "virtual_pointer: no zwlr_virtual_pointer_manager_v1\n");
        return 1;
    }
    zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.manager, globals.seat);
    wl_display_roundtrip(display);
    for (int i = 1; i < argc; ++i) {
        usleep(kSettle);
        if (std::strcmp(argv[i], "move") == 0 && i + 2 < argc) {
            zwlr_virtual_pointer_v1_motion(pointer, 0, wl_fixed_from_int(std::atoi(argv[i + 1])),
                                           wl_fixed_from_int(std::atoi(argv[i + 2])));
            i += 2;
        } else if (std::strcmp(argv[i], "click") == 0) {
            zwlr_virtual_pointer_v1_button(pointer, 0, kLeftButton,
                                           WL_POINTER_BUTTON_STATE_PRESSED);
            zwlr_virtual_pointer_v1_frame(pointer);
            zwlr_virtual_pointer_v1_button(pointer, 0, kLeftButton,
                                           WL_POINTER_BUTTON_STATE_RELEASED);
        } else if (std::strcmp(argv[i], "wheel") == 0) {
            zwlr_virtual_pointer_v1_axis(pointer, 0, WL_POINTER_AXIS_VERTICAL_SCROLL,
                                         wl_fixed_from_int(10));
        } else {
            std::fprintf(stderr, "virtual_pointer: bad step '%s'\n", argv[i]);
            return 2;
        }
        zwlr_virtual_pointer_v1_frame(pointer);
        wl_display_roundtrip(display);
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
