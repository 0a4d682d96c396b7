// The screen saver's command line, in the forms Windows' screen-saver
// settings and users pass it.
#pragma once

#include <cstdint>

enum class SaverMode {
    Settings,  // "/c", "/c:<window>" or no argument: the settings dialog
    Run,       // "/s": the saver over the whole screen
    Preview,   // "/p <window>" or "/p:<window>": drawn inside that window
    Ignore,    // "/a": the password change of old Windows, not ours to do
    Invalid,   // anything else
};

struct SaverOptions {
    SaverMode mode;
    uint32_t window;  // the window named after /p or /c; 0 when none
};

// Parses the arguments after the program name: "/" or "-" and one letter in
// either case; /p and /c take a decimal window number after ":" or blanks.
SaverOptions parseSaverOptions(const char* arguments);
