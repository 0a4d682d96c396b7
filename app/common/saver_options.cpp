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

// A window number: decimal, then only blanks. Numbers outside 1 to
// 2^32 - 1 (window handles have 32 significant bits in 32- and 64-bit
// Windows alike), a minus sign included, give 0: no window. False when the
// text is not a number at all.
bool parseWindow(const char* text, uint32_t& window) {
    text = skipBlanks(text);
    const bool negative = *text == '-';
    text += negative ? 1 : 0;
    if (*text < '0' || *text > '9') {
        return false;
    }
    uint64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value <= UINT32_MAX ? value * 10 + static_cast<uint64_t>(*text - '0') : value;
    }
    window = negative || value > UINT32_MAX ? 0 : static_cast<uint32_t>(value);
    return endsHere(text);
}

constexpr SaverOptions kInvalid = {SaverMode::Invalid, 0};

// What follows the letter: nothing, or ":" or blanks and then the number.
bool separated(const char* rest) {
    return *rest == '\0' || *rest == ':' || isBlank(*rest);
}

const char* numberAfter(const char* rest) {
    return *rest == ':' ? rest + 1 : rest;
}

// Every unusable /p number means a window that does not exist, so that the
// preview ends quietly rather than put a box over the settings page.
SaverOptions previewOptions(const char* rest) {
    uint32_t window = 0;
    if (!separated(rest)) {
        return kInvalid;
    }
    return {SaverMode::Preview, parseWindow(numberAfter(rest), window) ? window : 0};
}

// "/c" alone, or with any number: an owner that is no window is dropped.
SaverOptions settingsOptions(const char* rest) {
    uint32_t window = 0;
    if (endsHere(rest)) {
        return {SaverMode::Settings, 0};
    }
    return separated(rest) && parseWindow(numberAfter(rest), window)
               ? SaverOptions{SaverMode::Settings, window}
               : kInvalid;
}

}  // namespace

SaverOptions parseSaverOptions(const char* arguments) {
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
            return settingsOptions(rest);
        case 'p':
            return previewOptions(rest);
        default:
            return kInvalid;
    }
}

SaverOptions parseSaverCommandLine(const char* commandLine) {
    const char* text = skipBlanks(commandLine != nullptr ? commandLine : "");
    bool quoted = false;
    for (; *text != '\0' && (quoted || !isBlank(*text)); ++text) {
        quoted = *text == '"' ? !quoted : quoted;
    }
    return parseSaverOptions(text);
}
