#include "saver_registry.h"

#include <windows.h>

#include <cstdint>

#include "window.h"
#include "window_state.h"

const char kSaverSettingsKey[] = "Software\\Ringvoyage\\Screen saver";

namespace {

constexpr char kSpeedStepsValue[] = "Speed steps";
constexpr char kPulseValue[] = "Pulse";

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

bool initSaverScene() {
    if (!startWindowScene()) {
        return false;
    }
    applySaverSettings(windowVoyage.journey, loadSaverSettings());
    return true;
}
