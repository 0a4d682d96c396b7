// Stands in for the screen-saver daemon: one plain X window of another
// program. Prints its id, then keeps it until stdin closes. A third argument
// makes the window one the mode must cope with: "unmapped" (not yet shown)
// or "input-only" (no pixels to draw into).
//
// Each line "A B MS" on stdin compares the motion in two windows at the same
// times: both are read, and again MS milliseconds later; it prints the mean
// change of a colour channel in A, then in B.
//
// Usage: foreign_window WIDTH HEIGHT [unmapped | input-only]
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

XImage* grab(Display* display, Window window) {
    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    return XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                     static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
}

// Mean change of a colour channel over blocks of 8 x 8 pixels: the tile's
// fine pattern changes with the least motion, the picture's shapes with more.
double change(XImage* a, XImage* b) {
    if (a == nullptr || b == nullptr || a->width != b->width || a->height != b->height) {
        return -1.0;
    }
    constexpr int kBlock = 8;
    double sum = 0.0;
    int blocks = 0;
    for (int by = 0; by + kBlock <= a->height; by += kBlock) {
        for (int bx = 0; bx + kBlock <= a->width; bx += kBlock) {
            for (int shift = 0; shift < 24; shift += 8) {
                long difference = 0;
                for (int y = by; y < by + kBlock; ++y) {
                    for (int x = bx; x < bx + kBlock; ++x) {
                        difference += static_cast<long>((XGetPixel(a, x, y) >> shift) & 255) -
                                      static_cast<long>((XGetPixel(b, x, y) >> shift) & 255);
                    }
                }
                sum += std::abs(static_cast<double>(difference)) / (kBlock * kBlock);
            }
            blocks += 3;
        }
    }
    return blocks > 0 ? sum / blocks : -1.0;
}

void compareMotion(Display* display, Window a, Window b, unsigned milliseconds) {
    XImage* before[2] = {grab(display, a), grab(display, b)};
    usleep(milliseconds * 1000);
    XImage* after[2] = {grab(display, a), grab(display, b)};
    std::printf("%.3f %.3f\n", change(before[0], after[0]), change(before[1], after[1]));
    std::fflush(stdout);
    XImage* images[4] = {before[0], before[1], after[0], after[1]};
    for (XImage* image : images) {
        if (image != nullptr) {
            XDestroyImage(image);
        }
    }
}

}  // namespace

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
        inputOnly
            ? XCreateWindow(display, root, 0, 0, w, h, 0, 0, InputOnly, CopyFromParent, 0, &none)
            : XCreateSimpleWindow(display, root, 0, 0, w, h, 0, 0, BlackPixel(display, 0));
    XStoreName(display, window, "foreign window");
    if (!unmapped) {
        XMapWindow(display, window);
    }
    XSync(display, False);
    std::printf("0x%lx\n", window);
    std::fflush(stdout);
    char line[128];
    while (std::fgets(line, sizeof line, stdin) != nullptr) {
        unsigned long a = 0;
        unsigned long b = 0;
        unsigned milliseconds = 0;
        if (std::sscanf(line, "%lx %lx %u", &a, &b, &milliseconds) == 3) {
            compareMotion(display, a, b, milliseconds);
        }
    }
    XCloseDisplay(display);
    return 0;
}
