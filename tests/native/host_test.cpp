// The native host's platform-free parts: its command line, the built-in tile
// and what ends a saver.
#include <gtest/gtest.h>

#include <vector>

#include "embedded_tile.h"
#include "options.h"
#include "saver_input.h"

namespace {

HostOptions parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "ringvoyage");
    return parseHostOptions(static_cast<int>(arguments.size()), arguments.data());
}

TEST(HostOptions, OneOrTwoDashesAndNothingElse) {
    EXPECT_EQ(parse({}).mode, HostMode::Window);
    EXPECT_EQ(parse({"--help"}).mode, HostMode::Help);
    EXPECT_EQ(parse({"-help"}).mode, HostMode::Help);
    EXPECT_EQ(parse({"--version"}).mode, HostMode::Version);
    EXPECT_EQ(parse({"--homepage"}).mode, HostMode::Homepage);
    EXPECT_EQ(parse({"-donate"}).mode, HostMode::Donate);
    for (const char* bad : {"help", "---help", "--Help", "-", "--", "", "--help=1"}) {
        const HostOptions options = parse({bad});
        EXPECT_EQ(options.mode, HostMode::Invalid) << bad;
        EXPECT_STREQ(options.refused, bad);
    }
    const HostOptions two = parse({"--help", "--version"});
    EXPECT_EQ(two.mode, HostMode::Invalid);
    EXPECT_STREQ(two.refused, "--version");
}

TEST(HostOptions, ModesSettingsAndIgnoredOptions) {
    const HostOptions none = parse({});
    EXPECT_EQ(none.settings.speedSteps, 0);
    EXPECT_EQ(none.settings.pulse, 0);
    EXPECT_EQ(none.printRate, 0);
    EXPECT_EQ(none.tilePath, nullptr);
    EXPECT_EQ(parse({"--tile", "a.png", "--root"}).mode, HostMode::Root);
    EXPECT_STREQ(parse({"-tile", "a.png", "--root"}).tilePath, "a.png");
    EXPECT_EQ(parse({"--tile", "", "--root"}).tilePath, nullptr) << "an empty file chooser";

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
    const HostOptions saver = parse({"--window-id", "7", "--fps", "-saver"});
    EXPECT_EQ(saver.mode, HostMode::Saver);
    EXPECT_EQ(saver.windowId, 0u);
    EXPECT_EQ(saver.printRate, 1);
    EXPECT_EQ(parse({"--saver", "--wallpaper"}).mode, HostMode::Wallpaper);
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
        {{"--root", "--tile"}, "--tile"},
        {{"--fps", "--help"}, "--help"},
        {{"--version", "--root"}, "--root"},
        {{"--saver", "--version"}, "--version"},
    };
    for (const auto& expected : cases) {
        const HostOptions options = parse(expected.arguments);
        EXPECT_EQ(options.mode, HostMode::Invalid) << expected.refused;
        ASSERT_NE(options.refused, nullptr) << expected.refused;
        EXPECT_STREQ(options.refused, expected.refused);
        EXPECT_NE(options.reason, nullptr) << expected.refused;
    }
}

// The built-in BMP file gives the resource's 64 x 64 pixels; damaged copies
// of it are refused rather than read out of bounds.
TEST(TileFromBmp, TakesOnlyWhole24BitBottomUpImages) {
    const TileImage tile = embeddedTile();
    ASSERT_NE(tile.bgr, nullptr);
    EXPECT_EQ(tile.width, 64);
    EXPECT_EQ(tile.height, 64);
    EXPECT_EQ(tile.bgr, kTunnelBmp + (kTunnelBmp_SIZE - 64 * 192)) << "pixels end the file";

    const std::vector<uint8_t> good(kTunnelBmp, kTunnelBmp + kTunnelBmp_SIZE);
    TileImage out = {};
    EXPECT_FALSE(tileFromBmp(good.data(), good.size() - 1, out)) << "last row cut";
    EXPECT_FALSE(tileFromBmp(good.data(), 53, out)) << "headers cut";
    EXPECT_FALSE(tileFromBmp(nullptr, 0, out));
    const struct {
        size_t at;
        uint8_t value;
    } damages[] = {{0, 'X'}, {28, 8}, {28, 32}, {30, 1}, {26, 2}, {25, 0x80}, {13, 0x7f}};
    for (const auto& damage : damages) {
        std::vector<uint8_t> bad = good;
        bad[damage.at] = damage.value;
        EXPECT_FALSE(tileFromBmp(bad.data(), bad.size(), out)) << "byte " << damage.at;
    }
    EXPECT_EQ(out.bgr, nullptr) << "a refused file leaves the result alone";
    EXPECT_EQ(tileRowBytes(1), 4u);
    EXPECT_EQ(tileRowBytes(5), 16u);
}

TEST(SaverInput, AJoltIsForgivenMotionIsNot) {
    EXPECT_FALSE(movedBeyondSlack(kSaverMotionSlack, -kSaverMotionSlack));
    EXPECT_TRUE(movedBeyondSlack(0, kSaverMotionSlack + 1));
    EXPECT_TRUE(movedBeyondSlack(-kSaverMotionSlack - 1, 0));
}

}  // namespace
