#include "saver_options.h"

#include <cstdint>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

const char* skipBlanks(const char* text) {
    while (isBlank(*text)) {
        ++text;
    }
    return text;
}

bool endsHere(const char* text) {
    return *skipBlanks(text) == '\0';
}

// A window number: decimal, 1 to 2^32 - 1 (window handles have 32
// significant bits in 32- and 64-bit Windows alike), then only blanks.
bool parseWindow(const char* text, uint32_t& window) {
    text = skipBlanks(text);
    if (*text < '0' || *text > '9') {
        return false;
    }
    uint64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + static_cast<uint64_t>(*text - '0');
        if (value > UINT32_MAX) {
            return false;
        }
    }
    window = static_cast<uint32_t>(value);
    return value != 0 && endsHere(text);
}

}  // namespace

SaverOptions parseSaverOptions(const char* arguments) {
    constexpr SaverOptions kInvalid = {SaverMode::Invalid, 0};
    const char* text = skipBlanks(arguments != nullptr ? arguments : "");
    if (*text == '\0') {
        return {SaverMode::Settings, 0};
    }
    if ((text[0] != '/' && text[0] != '-') || text[1] == '\0') {
        return kInvalid;
    }
    const char letter = static_cast<char>(text[1] | 0x20);  // ASCII lower case
    const char* rest = text + 2;
    switch (letter) {
        case 's':
            return endsHere(rest) ? SaverOptions{SaverMode::Run, 0} : kInvalid;
        case 'a':
            return endsHere(rest) ? SaverOptions{SaverMode::Ignore, 0} : kInvalid;
        case 'c':
            if (endsHere(rest)) {
                return {SaverMode::Settings, 0};
            }
            [[fallthrough]];
        case 'p': {
            uint32_t window = 0;
            const bool separated = *rest == ':' || isBlank(*rest);
            if (!separated || !parseWindow(*rest == ':' ? rest + 1 : rest, window)) {
                return kInvalid;
            }
            return {letter == 'p' ? SaverMode::Preview : SaverMode::Settings, window};
        }
        default:
            return kInvalid;
    }
}
