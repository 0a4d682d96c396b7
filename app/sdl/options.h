// The native program's command line. Options take one dash or two, as
// xscreensaver's display modes do.
#pragma once

#include <cstdint>

#include "saver_settings.h"

enum class HostMode {
    Window,     // no arguments or --window: the tunnel in a window of its own
    Root,       // --root: the window in XSCREENSAVER_WINDOW, else the root window
    WindowId,   // --window-id ID: a window made by another program
    Saver,      // --saver: full screen on every output until any input
    Wallpaper,  // --wallpaper: behind the windows on every output
    Help,       // --help
    Version,    // --version
    Homepage,   // --homepage: open the maker's home page
    Donate,     // --donate: open the donation page
    Invalid,    // anything else
};

struct HostOptions {
    HostMode mode;
    const char* refused;     // the argument not understood; null unless Invalid
    const char* reason;      // why it was refused; null unless Invalid
    uint64_t windowId;       // the X window of --window-id; 0 otherwise
    SaverSettings settings;  // --speed and --pulse / --no-pulse
    uint8_t printRate;       // 1: --fps, the frame rate on stdout once a second
    const char* tilePath;    // the picture of --tile for the walls; null: the built-in tile
};

HostOptions parseHostOptions(int argc, const char* const* argv);

// An X window id as xscreensaver writes one: decimal, or hexadecimal after
// "0x"; nonzero and at most 32 bits. False for anything else.
bool parseWindowId(const char* text, uint64_t& id);
