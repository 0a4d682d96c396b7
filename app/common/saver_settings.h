// The screen saver's settings: the start speed, as "+" or "-" presses from the
// program's start speed, and whether the rings pulse.
#pragma once

#include <cstdint>

constexpr int32_t kMaxSpeedSteps = 4;  // presses either way

struct SaverSettings {
    int32_t speedSteps;  // -kMaxSpeedSteps (slower) to kMaxSpeedSteps (faster)
    int32_t pulse;       // 1: the rings pulse in radius
};

constexpr SaverSettings kDefaultSaverSettings = {0, 0};

// Settings from stored values; each one that is missing or out of range
// falls back to its default.
SaverSettings saverSettingsFrom(bool haveSpeedSteps, int64_t speedSteps, bool havePulse,
                                int64_t pulse);

// The settings nearest a speed reached by any presses: the step of the
// nearest press count, held within the steps either way.
SaverSettings nearestSaverSettings(float speed, int32_t pulse);

// Puts the settings into force on a journey that has just started.
void applySaverSettings(const SaverSettings& settings);
