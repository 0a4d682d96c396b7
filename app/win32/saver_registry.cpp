#include "saver_registry.h"

#include <windows.h>

#include <cstdint>

#include "picture_wic.h"
#include "window.h"

const char kSaverSettingsKey[] = "Software\\Ringvoyage\\Screen saver";

namespace {

constexpr char kSpeedStepsValue[] = "Speed steps";
constexpr char kPulseValue[] = "Pulse";
constexpr char kPictureValue[] = "Picture";

// A REG_DWORD value as a signed number; false when missing or of another type.
bool readNumber(HKEY key, const char* name, int64_t& value) {
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof data) {
        return false;
    }
    value = static_cast<int32_t>(data);
    return true;
}

bool writeNumber(HKEY key, const char* name, int32_t value) {
    const DWORD data = static_cast<DWORD>(value);
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data) == ERROR_SUCCESS;
}

}  // namespace

SaverSettings loadSaverSettings() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSaverSettingsKey, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
        return kDefaultSaverSettings;
    }
    int64_t speedSteps = 0;
    int64_t pulse = 0;
    const bool haveSpeedSteps = readNumber(key, kSpeedStepsValue, speedSteps);
    const bool havePulse = readNumber(key, kPulseValue, pulse);
    RegCloseKey(key);
    return saverSettingsFrom(haveSpeedSteps, speedSteps, havePulse, pulse);
}

bool storeSaverSettings(const SaverSettings& settings) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSaverSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const bool stored = writeNumber(key, kSpeedStepsValue, settings.speedSteps) &&
                        writeNumber(key, kPulseValue, settings.pulse);
    RegCloseKey(key);
    return stored;
}

void loadSaverPicture(char (&path)[MAX_PATH]) {
    path[0] = '\0';
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSaverSettingsKey, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
        return;
    }
    DWORD type = 0;
    DWORD size = sizeof path - 1;  // room for a terminator the value may lack
    if (RegQueryValueExA(key, kPictureValue, nullptr, &type, reinterpret_cast<BYTE*>(path),
                         &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        size = 0;
    }
    path[size] = '\0';
    RegCloseKey(key);
}

bool storeSaverPicture(const char* path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSaverSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LONG result = path[0] == '\0' ? RegDeleteValueA(key, kPictureValue)
                                        : RegSetValueExA(key, kPictureValue, 0, REG_SZ,
                                                         reinterpret_cast<const BYTE*>(path),
                                                         static_cast<DWORD>(lstrlenA(path) + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

// A stored picture that cannot be used gives the built-in tile; the settings
// dialog is where the user learns why.
bool initSaverScene() {
    static PictureTile picture;
    char path[MAX_PATH];
    loadSaverPicture(path);
    TileImage tile = {};
    if (path[0] != '\0' && loadPictureFile(path, picture) == PictureProblem::None) {
        tile = pictureTileImage(picture);
    }
    if (!startWindowScene(tile)) {
        return false;
    }
    applySaverSettings(loadSaverSettings());
    return true;
}
