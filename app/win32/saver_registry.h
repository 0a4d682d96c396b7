// The screen saver's settings in the registry, under
// HKCU\Software\Ringvoyage\Screen saver.
#pragma once

#include <windows.h>

#include "saver_settings.h"

extern const char kSaverSettingsKey[];

// The stored settings; a missing key or a missing, mistyped or out-of-range
// value gives that setting's default.
SaverSettings loadSaverSettings();

// Stores both settings; false when the key cannot be written.
bool storeSaverSettings(const SaverSettings& settings);

// The picture file for the walls; an empty path (also for a missing value
// or one of another type) means the built-in tile.
void loadSaverPicture(char (&path)[MAX_PATH]);

// Stores the picture path, or removes it for an empty one; false when the
// key cannot be written.
bool storeSaverPicture(const char* path);

// The scene (see startWindowScene) with the stored settings in force: the screen
// saver's start. False without a GL context.
bool initSaverScene();
