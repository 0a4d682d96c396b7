#include <unistd.h>

#include "saver_input.h"
#include "wayland_state.h"

namespace {

void endByInput(void* data) {
    static_cast<WaylandHost*>(data)->quit = 1;
}

void onKeymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) {
    close(fd);  // keys are not told apart
}
void onKeyboardEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
void onKeyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {}
void onModifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void onRepeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}

// A press; a release may belong to a key held as the saver started.
void onKey(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t state) {
    if (state == WL_KEYBOARD_KEY_STATE_PRESSED) {
        endByInput(data);
    }
}

wl_keyboard_listener keyboardListener() {
    wl_keyboard_listener listener = {};
    listener.keymap = onKeymap;
    listener.enter = onKeyboardEnter;
    listener.leave = onKeyboardLeave;
    listener.key = onKey;
    listener.modifiers = onModifiers;
    listener.repeat_info = onRepeatInfo;
    return listener;
}

const wl_keyboard_listener kKeyboardListener = keyboardListener();

// No pointer over the saver; where it entered is where motion counts from.
void onPointerEnter(void* data, wl_pointer* pointer, uint32_t serial, wl_surface*, wl_fixed_t x,
                    wl_fixed_t y) {
    WaylandHost& host = *static_cast<WaylandHost*>(data);
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
    host.pointerX = wl_fixed_to_int(x);
    host.pointerY = wl_fixed_to_int(y);
}

void onPointerMotion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
    const WaylandHost& host = *static_cast<WaylandHost*>(data);
    if (movedBeyondSlack(wl_fixed_to_int(x) - host.pointerX, wl_fixed_to_int(y) - host.pointerY)) {
        endByInput(data);
    }
}

void onButton(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state) {
    if (state == WL_POINTER_BUTTON_STATE_PRESSED) {
        endByInput(data);
    }
}

void onAxis(void* data, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {
    endByInput(data);
}

void onPointerLeave(void*, wl_pointer*, uint32_t, wl_surface*) {}
void onPointerFrame(void*, wl_pointer*) {}
void onAxisSource(void*, wl_pointer*, uint32_t) {}
void onAxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void onAxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}

wl_pointer_listener pointerListener() {
    wl_pointer_listener listener = {};
    listener.enter = onPointerEnter;
    listener.leave = onPointerLeave;
    listener.motion = onPointerMotion;
    listener.button = onButton;
    listener.axis = onAxis;
    listener.frame = onPointerFrame;
    listener.axis_source = onAxisSource;
    listener.axis_stop = onAxisStop;
    listener.axis_discrete = onAxisDiscrete;
    return listener;
}

const wl_pointer_listener kPointerListener = pointerListener();

// Devices come and go (a virtual keyboard appears as it types).
void onSeatCapabilities(void* data, wl_seat* seat, uint32_t capabilities) {
    WaylandHost& host = *static_cast<WaylandHost*>(data);
    const bool keyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    const bool pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
    if (keyboard && host.keyboard == nullptr) {
        host.keyboard = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(host.keyboard, &kKeyboardListener, &host);
    } else if (!keyboard && host.keyboard != nullptr) {
        wl_keyboard_destroy(host.keyboard);
        host.keyboard = nullptr;
    }
    if (pointer && host.pointer == nullptr) {
        host.pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(host.pointer, &kPointerListener, &host);
    } else if (!pointer && host.pointer != nullptr) {
        wl_pointer_destroy(host.pointer);
        host.pointer = nullptr;
    }
}

void onSeatName(void*, wl_seat*, const char*) {}

const wl_seat_listener kSeatListener = {onSeatCapabilities, onSeatName};

}  // namespace

void listenToSeat(WaylandHost& host, wl_seat* seat) {
    wl_seat_add_listener(seat, &kSeatListener, &host);
}
