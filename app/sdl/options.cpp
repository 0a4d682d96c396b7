#include "options.h"

#include <cstring>

namespace {

enum class Kind {
    Alone,      // an action that takes no other option
    Target,     // where to draw: --window, --root, --saver or --wallpaper
    WindowId,   // --window-id and its value
    Speed,      // --speed and its value
    Pulse,      // --pulse
    NoPulse,    // --no-pulse
    Fps,        // --fps
    Tile,       // --tile and its picture file
    Ignored,    // accepted for xscreensaver's sake, no value
    IgnoredArg  // accepted for xscreensaver's sake, with a value
};

struct OptionName {
    const char* name;  // without its dashes
    Kind kind;
    HostMode mode;  // for Alone and Target
};

static_assert(kMaxSpeedSteps <= 9, "--speed reads one digit");

constexpr OptionName kOptions[] = {
    {"help", Kind::Alone, HostMode::Help},
    {"version", Kind::Alone, HostMode::Version},
    {"homepage", Kind::Alone, HostMode::Homepage},
    {"donate", Kind::Alone, HostMode::Donate},
    {"window", Kind::Target, HostMode::Window},
    {"root", Kind::Target, HostMode::Root},
    {"window-id", Kind::WindowId, HostMode::WindowId},
    {"saver", Kind::Target, HostMode::Saver},
    {"wallpaper", Kind::Target, HostMode::Wallpaper},
    {"speed", Kind::Speed, HostMode::Window},
    {"pulse", Kind::Pulse, HostMode::Window},
    {"no-pulse", Kind::NoPulse, HostMode::Window},
    {"fps", Kind::Fps, HostMode::Window},
    {"tile", Kind::Tile, HostMode::Window},
    {"install", Kind::Ignored, HostMode::Window},
    {"mono", Kind::Ignored, HostMode::Window},
    {"visual", Kind::IgnoredArg, HostMode::Window},
};

const OptionName* findOption(const char* argument) {
    if (argument[0] != '-') {
        return nullptr;
    }
    const char* name = argument + (argument[1] == '-' ? 2 : 1);
    for (const OptionName& option : kOptions) {
        if (std::strcmp(name, option.name) == 0) {
            return &option;
        }
    }
    return nullptr;
}

// -kMaxSpeedSteps to kMaxSpeedSteps, optionally signed; nothing else.
bool parseSpeedSteps(const char* text, int32_t& steps) {
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') {
        ++text;
    }
    if (text[0] < '0' || text[0] > '9' || text[1] != '\0') {
        return false;
    }
    const int32_t value = text[0] - '0';
    steps = negative ? -value : value;
    return value <= kMaxSpeedSteps;
}

HostOptions refuse(const char* argument, const char* reason) {
    HostOptions options = {};
    options.mode = HostMode::Invalid;
    options.refused = argument;
    options.reason = reason;
    return options;
}

}  // namespace

bool parseWindowId(const char* text, uint64_t& id) {
    const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const uint64_t base = hex ? 16 : 10;
    text += hex ? 2 : 0;
    uint64_t value = 0;
    const char* digit = text;
    for (; *digit != '\0'; ++digit) {
        const char c = *digit;
        uint64_t d = 16;  // not a digit
        if (c >= '0' && c <= '9') {
            d = static_cast<uint64_t>(c - '0');
        } else if (hex && (c | 0x20) >= 'a' && (c | 0x20) <= 'f') {
            d = static_cast<uint64_t>((c | 0x20) - 'a' + 10);
        }
        if (d >= base) {
            return false;
        }
        value = value * base + d;
        if (value > UINT32_MAX) {
            return false;
        }
    }
    id = value;
    return digit != text && value != 0;
}

HostOptions parseHostOptions(int argc, const char* const* argv) {
    HostOptions options = {};
    options.mode = HostMode::Window;
    options.settings = kDefaultSaverSettings;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        const OptionName* option = findOption(argument);
        if (option == nullptr) {
            return refuse(argument, "unknown argument");
        }
        const bool takesValue = option->kind == Kind::WindowId || option->kind == Kind::Speed ||
                                option->kind == Kind::Tile || option->kind == Kind::IgnoredArg;
        const char* value = takesValue && i + 1 < argc ? argv[++i] : nullptr;
        if (takesValue && value == nullptr) {
            return refuse(argument, "no value after");
        }
        switch (option->kind) {
            case Kind::Alone:
                if (argc != 2) {  // the one beside it is blamed
                    return refuse(i == 1 ? argv[2] : argument,
                                  "--help, --version, --homepage and --donate stand alone:");
                }
                options.mode = option->mode;
                break;
            case Kind::Target:
                options.mode = option->mode;
                options.windowId = 0;
                break;
            case Kind::WindowId:
                if (!parseWindowId(value, options.windowId)) {
                    return refuse(value, "not a window id (decimal, or hexadecimal after 0x):");
                }
                options.mode = HostMode::WindowId;
                break;
            case Kind::Speed:
                if (!parseSpeedSteps(value, options.settings.speedSteps)) {
                    return refuse(value, "--speed takes a whole number from -4 to 4, not");
                }
                break;
            case Kind::Pulse:
            case Kind::NoPulse:
                options.settings.pulse = option->kind == Kind::Pulse ? 1 : 0;
                break;
            case Kind::Fps:
                options.printRate = 1;
                break;
            case Kind::Tile:  // an empty chooser in the settings may pass ""
                options.tilePath = value[0] != '\0' ? value : nullptr;
                break;
            case Kind::Ignored:
            case Kind::IgnoredArg:
            default:
                break;
        }
    }
    return options;
}
