// Stands in for the screen-saver daemon: one plain X window of another
// program. Prints its id, then keeps it until stdin closes. A third argument
// makes the window one the mode must cope with: "unmapped" (not yet shown)
// or "input-only" (no pixels to draw into).
//
// Usage: foreign_window WIDTH HEIGHT [unmapped | input-only]
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    const int width = argc >= 3 ? std::atoi(argv[1]) : 0;
    const int height = argc >= 3 ? std::atoi(argv[2]) : 0;
    const char* kind = argc == 4 ? argv[3] : "";
    const bool unmapped = std::strcmp(kind, "unmapped") == 0;
    const bool inputOnly = std::strcmp(kind, "input-only") == 0;
    if (width <= 0 || height <= 0 || argc > 4 || (argc == 4 && !unmapped && !inputOnly)) {
        std::fprintf(stderr, "usage: foreign_window WIDTH HEIGHT [unmapped | input-only]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "foreign_window: no display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    const unsigned w = static_cast<unsigned>(width);
    const unsigned h = static_cast<unsigned>(height);
    XSetWindowAttributes none = {};
    const Window window =
        inputOnly ? XCreateWindow(display, root, 0, 0, w, h, 0, 0, InputOnly, CopyFromParent, 0,
                                  &none)
                  : XCreateSimpleWindow(display, root, 0, 0, w, h, 0, 0, BlackPixel(display, 0));
    XStoreName(display, window, "foreign window");
    if (!unmapped) {
        XMapWindow(display, window);
    }
    XSync(display, False);
    std::printf("0x%lx\n", window);
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    XCloseDisplay(display);
    return 0;
}
