#include "saver_settings.h"

#include "command.h"

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

void applySaverSettings(Journey& journey, const SaverSettings& settings) {
    const Command step = settings.speedSteps > 0 ? Command::Faster : Command::Slower;
    const int32_t steps = settings.speedSteps > 0 ? settings.speedSteps : -settings.speedSteps;
    for (int32_t i = 0; i < steps; ++i) {
        applyCommand(journey, step);
    }
    journey.tunnel.pulse = settings.pulse != 0 ? 1 : 0;
}
