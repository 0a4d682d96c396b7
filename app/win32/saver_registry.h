// The screen saver's settings in the registry, under
// HKCU\Software\Ringvoyage\Screen saver.
#pragma once

#include "saver_settings.h"

extern const char kSaverSettingsKey[];

// The stored settings; a missing key or a missing, mistyped or out-of-range
// value gives that setting's default.
SaverSettings loadSaverSettings();

// Stores both settings; false when the key cannot be written.
bool storeSaverSettings(const SaverSettings& settings);
