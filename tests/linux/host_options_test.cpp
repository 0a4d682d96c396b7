// The native program's command line: xscreensaver's forms and the settings.
#include <gtest/gtest.h>

#include <vector>

#include "options.h"

namespace {

HostOptions parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "ringvoyage");
    return parseHostOptions(static_cast<int>(arguments.size()), arguments.data());
}

}  // namespace

TEST(HostOptions, ModesSettingsAndIgnoredOptions) {
    const HostOptions none = parse({});
    EXPECT_EQ(none.mode, HostMode::Window);
    EXPECT_EQ(none.settings.speedSteps, 0);
    EXPECT_EQ(none.settings.pulse, 0);
    EXPECT_EQ(none.printRate, 0);

    const HostOptions daemon =
        parse({"-root", "-install", "--visual", "default", "-mono", "--speed", "-4", "-pulse"});
    EXPECT_EQ(daemon.mode, HostMode::Root);
    EXPECT_EQ(daemon.settings.speedSteps, -4);
    EXPECT_EQ(daemon.settings.pulse, 1);

    const HostOptions preview = parse(
        {"--root", "--pulse", "--window-id", "0x2A0001f", "--speed", "+4", "--no-pulse", "--fps"});
    EXPECT_EQ(preview.mode, HostMode::WindowId);
    EXPECT_EQ(preview.windowId, 0x2A0001Fu);
    EXPECT_EQ(preview.settings.speedSteps, 4);
    EXPECT_EQ(preview.settings.pulse, 0);  // the last of the two counts
    EXPECT_EQ(preview.printRate, 1);

    const HostOptions decimal = parse({"-window-id", "4294967295", "--window"});
    EXPECT_EQ(decimal.mode, HostMode::Window);  // the last target counts
    EXPECT_EQ(decimal.windowId, 0u);
    EXPECT_EQ(parse({"-window-id", "4294967295"}).windowId, 4294967295u);
    EXPECT_EQ(parse({"--help"}).mode, HostMode::Help);
    EXPECT_EQ(parse({"-donate"}).mode, HostMode::Donate);
}

TEST(HostOptions, RefusedWithTheArgumentToBlame) {
    const struct {
        std::vector<const char*> arguments;
        const char* refused;
    } cases[] = {
        {{"--frobnicate"}, "--frobnicate"},
        {{"root"}, "root"},
        {{"---root"}, "---root"},
        {{"--speed", "5"}, "5"},
        {{"--speed", "-5"}, "-5"},
        {{"--speed", "1.5"}, "1.5"},
        {{"--speed", ""}, ""},
        {{"--root", "--speed"}, "--speed"},
        {{"--window-id", "0"}, "0"},
        {{"--window-id", "0x"}, "0x"},
        {{"--window-id", "0x100000000"}, "0x100000000"},
        {{"--window-id", "4294967296"}, "4294967296"},
        {{"--window-id", "12ab"}, "12ab"},
        {{"--window-id", "-5"}, "-5"},
        {{"--visual"}, "--visual"},
        {{"--fps", "--help"}, "--help"},
        {{"--version", "--root"}, "--version"},
    };
    for (const auto& expected : cases) {
        const HostOptions options = parse(expected.arguments);
        EXPECT_EQ(options.mode, HostMode::Invalid) << expected.refused;
        ASSERT_NE(options.refused, nullptr) << expected.refused;
        EXPECT_STREQ(options.refused, expected.refused);
        EXPECT_NE(options.reason, nullptr) << expected.refused;
    }
}
