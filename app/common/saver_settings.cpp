#include "saver_settings.h"

#include <cmath>

#include "controls.h"
#include "tunnel_state.h"

SaverSettings saverSettingsFrom(bool haveSpeedSteps, int64_t speedSteps, bool havePulse,
                                int64_t pulse) {
    SaverSettings settings = kDefaultSaverSettings;
    if (haveSpeedSteps && speedSteps >= -kMaxSpeedSteps && speedSteps <= kMaxSpeedSteps) {
        settings.speedSteps = static_cast<int32_t>(speedSteps);
    }
    if (havePulse && (pulse == 0 || pulse == 1)) {
        settings.pulse = static_cast<int32_t>(pulse);
    }
    return settings;
}

SaverSettings nearestSaverSettings(float speed, int32_t pulse) {
    // Each press scales the speed by about the square root of 2.
    const double steps = std::round(2.0 * std::log2(static_cast<double>(speed) / kStartSpeed));
    SaverSettings settings = {0, pulse != 0 ? 1 : 0};
    settings.speedSteps = static_cast<int32_t>(
        std::fmax(-kMaxSpeedSteps, std::fmin(static_cast<double>(kMaxSpeedSteps), steps)));
    return settings;
}

void applySaverSettings(const SaverSettings& settings) {
    const int32_t key = settings.speedSteps > 0 ? '+' : '-';
    const int32_t presses = settings.speedSteps > 0 ? settings.speedSteps : -settings.speedSteps;
    for (int32_t i = 0; i < presses; ++i) {
        handleKey(key);
    }
    tunnel.pulse = settings.pulse != 0 ? 1 : 0;
}
