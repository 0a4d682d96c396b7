// The screen saver's settings through the real (Wine) registry.
#include "saver_registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "gl_window.h"

namespace {

void setValue(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSaverSettingsKey, 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void expectSettings(const SaverSettings& settings, int32_t speedSteps, int32_t pulse) {
    EXPECT_EQ(settings.speedSteps, speedSteps);
    EXPECT_EQ(settings.pulse, pulse);
}

}  // namespace

TEST(SaverRegistry, RoundTripAndDamagedValuesFallBack) {
    RegDeleteKeyA(HKEY_CURRENT_USER, kSaverSettingsKey);
    expectSettings(loadSaverSettings(), 0, 0);

    ASSERT_TRUE(storeSaverSettings({-3, 1}));
    expectSettings(loadSaverSettings(), -3, 1);
    ASSERT_TRUE(storeSaverSettings({4, 0}));
    expectSettings(loadSaverSettings(), 4, 0);

    const DWORD tooFast = 5, notABoolean = 7;
    setValue("Speed steps", REG_DWORD, &tooFast, sizeof tooFast);
    setValue("Pulse", REG_DWORD, &notABoolean, sizeof notABoolean);
    expectSettings(loadSaverSettings(), 0, 0);
    setValue("Speed steps", REG_SZ, "2", 2);
    setValue("Pulse", REG_BINARY, "\1", 1);
    expectSettings(loadSaverSettings(), 0, 0);

    // The saver starts its journey with them.
    ASSERT_TRUE(storeSaverSettings({-2, 1}));
    tunnel.pulse = 0;
    ASSERT_TRUE(initSaverScene());
    EXPECT_EQ(tunnel.speed,
              static_cast<float>(static_cast<float>(8000.0 * 0.70716351f) * 0.70716351));
    EXPECT_EQ(tunnel.pulse, 1);

    RegDeleteKeyA(HKEY_CURRENT_USER, kSaverSettingsKey);
}
