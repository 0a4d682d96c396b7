// The screen saver's command line and settings, platform-free.
#include <gtest/gtest.h>

#include "journey.h"
#include "saver_options.h"
#include "saver_settings.h"
#include "test_support.h"
#include "tunnel_state.h"

TEST(SaverOptions, AcceptedAndRejectedForms) {
    const struct {
        const char* arguments;
        SaverMode mode;
        uint32_t window;
    } cases[] = {
        {"", SaverMode::Settings, 0},
        {nullptr, SaverMode::Settings, 0},
        {"  ", SaverMode::Settings, 0},
        {"/c", SaverMode::Settings, 0},
        {"-C", SaverMode::Settings, 0},
        {"/c:1234", SaverMode::Settings, 1234},
        {"/c 99", SaverMode::Settings, 99},
        {"/s", SaverMode::Run, 0},
        {"/S ", SaverMode::Run, 0},
        {" -s", SaverMode::Run, 0},
        {"/p 1234", SaverMode::Preview, 1234},
        {"/P:1234", SaverMode::Preview, 1234},
        {"-p\t4294967295", SaverMode::Preview, 4294967295u},
        {"/a", SaverMode::Ignore, 0},
        {"/a 5", SaverMode::Invalid, 0},
        {"/x", SaverMode::Invalid, 0},
        {"s", SaverMode::Invalid, 0},
        {"/", SaverMode::Invalid, 0},
        {"/sx", SaverMode::Invalid, 0},
        {"/s /p 12", SaverMode::Invalid, 0},
        // Every unusable /p number names no window: the preview ends quietly.
        {"/p", SaverMode::Preview, 0},
        {"/p:", SaverMode::Preview, 0},
        {"/p 0", SaverMode::Preview, 0},
        {"/p abc", SaverMode::Preview, 0},
        {"/p 12ab", SaverMode::Preview, 0},
        {"/p -12", SaverMode::Preview, 0},
        {"/p 4294967296", SaverMode::Preview, 0},
        {"/p 99999999999999999999999", SaverMode::Preview, 0},
        {"/p99", SaverMode::Invalid, 0},
        {"/c:0", SaverMode::Settings, 0},
        {"/c:-5", SaverMode::Settings, 0},
        {"/c:x", SaverMode::Invalid, 0},
        {"\xc3\xa9", SaverMode::Invalid, 0},
        {"/s \xe9", SaverMode::Invalid, 0},
    };
    for (const auto& expected : cases) {
        const SaverOptions options = parseSaverOptions(expected.arguments);
        const char* shown = expected.arguments != nullptr ? expected.arguments : "(null)";
        EXPECT_EQ(options.mode, expected.mode) << shown;
        EXPECT_EQ(options.window, expected.window) << shown;
    }
    // Whole command lines: the program name is skipped, quoted or not, and a
    // byte of 0x80 or more is no blank.
    EXPECT_EQ(parseSaverCommandLine("\"C:\\a b\\Ringvoyage.scr\" /p 77").window, 77u);
    EXPECT_EQ(parseSaverCommandLine("Ringvoyage.scr  /S").mode, SaverMode::Run);
    EXPECT_EQ(parseSaverCommandLine("Ringvoyage.scr").mode, SaverMode::Settings);
    EXPECT_EQ(parseSaverCommandLine("Ringvoyage.scr \xc3\xa9").mode, SaverMode::Invalid);
    EXPECT_EQ(parseSaverCommandLine("R\xe9.scr /s").mode, SaverMode::Run);
}

TEST(SaverSettings, StoredValuesOrTheirDefaults) {
    const SaverSettings kept = saverSettingsFrom(true, -4, true, 1);
    EXPECT_EQ(kept.speedSteps, -4);
    EXPECT_EQ(kept.pulse, 1);
    for (const SaverSettings& fallback :
         {saverSettingsFrom(false, 3, false, 1), saverSettingsFrom(true, 5, true, 2),
          saverSettingsFrom(true, -5, true, -1),
          saverSettingsFrom(true, 1LL << 32, true, 1LL << 32)}) {
        EXPECT_EQ(fallback.speedSteps, 0);
        EXPECT_EQ(fallback.pulse, 0);
    }
}

TEST(SaverSettings, SpeedStepsArePressesFromTheStartSpeed) {
    for (int32_t steps : {-4, -1, 0, 2, 4}) {
        freshJourney();
        applySaverSettings({steps, steps & 1});
        float expected = 8000.0f;
        for (int32_t i = 0; i < (steps < 0 ? -steps : steps); ++i) {
            expected = static_cast<float>(
                expected * static_cast<double>(steps < 0 ? 0.70716351f : 1.41410005f));
        }
        EXPECT_EQ(tunnel.speed, expected) << steps;
        EXPECT_EQ(tunnel.pulse, steps & 1) << steps;
        const SaverSettings nearest = nearestSaverSettings(tunnel.speed, tunnel.pulse);
        EXPECT_EQ(nearest.speedSteps, steps);
        EXPECT_EQ(nearest.pulse, steps & 1);
    }
    // Speeds beyond the steps give the last step, those between the nearest.
    EXPECT_EQ(nearestSaverSettings(kMaxSpeed, 0).speedSteps, 4);
    EXPECT_EQ(nearestSaverSettings(kMinSpeed, 0).speedSteps, -4);
    EXPECT_EQ(nearestSaverSettings(11200.0f, 0).speedSteps, 1);
    EXPECT_EQ(nearestSaverSettings(6000.0f, 0).speedSteps, -1);
}
