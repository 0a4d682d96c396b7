// The native program's command line. Options take one dash or two, as
// xscreensaver's display modes do.
#pragma once

enum class HostMode {
    Window,    // no arguments: the tunnel in a window of its own
    Help,      // --help
    Version,   // --version
    Homepage,  // --homepage: open the maker's home page
    Donate,    // --donate: open the donation page
    Invalid,   // anything else
};

struct HostOptions {
    HostMode mode;
    const char* refused;  // the argument not understood; null unless Invalid
};

HostOptions parseHostOptions(int argc, const char* const* argv);
