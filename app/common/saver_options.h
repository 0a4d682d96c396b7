// The screen saver's command line, in the forms Windows' screen-saver
// settings and users pass it.
#pragma once

#include <cstdint>

enum class SaverMode {
    Settings,  // "/c", "/c:<number>" or no argument: the settings dialog
    Run,       // "/s": the saver over the whole screen
    Preview,   // "/p <window>" or "/p:<window>": drawn inside that window
    Ignore,    // "/a": the password change of old Windows, not ours to do
    Invalid,   // anything else
};

struct SaverOptions {
    SaverMode mode;
    uint32_t window;  // the window named after /p or /c; 0 when none or unusable
};

// Parses the arguments after the program name: "/" or "-" and one letter in
// either case; /p and /c take a decimal window number after ":" or blanks.
// A /p without a usable number is a preview of window 0; /c takes any number.
SaverOptions parseSaverOptions(const char* arguments);

// The same for a whole command line (GetCommandLineA): the program name,
// quoted or not, is skipped first. Every byte counts as itself, so a byte of
// 0x80 or more is no blank (the C run-time's splitting takes it for one).
SaverOptions parseSaverCommandLine(const char* commandLine);
