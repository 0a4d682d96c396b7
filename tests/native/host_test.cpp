// The native host's platform-free parts: its command line, the built-in tile
// and the rule for resting without a picture.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "embedded_tile.h"
#include "frame.h"
#include "host_rules.h"
#include "options.h"
#include "tunnel_state.h"

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

TEST(HostRules, RestingRestartsTheReadoutOrEndsAFlyOut) {
    EXPECT_TRUE(hasPictureArea(1, 1));
    EXPECT_FALSE(hasPictureArea(0, 600));
    EXPECT_FALSE(hasPictureArea(800, 0));
    resetTunnelState();
    frameRenderer = {3.0f, 40, 1};
    EXPECT_FALSE(restEndsJourney());
    EXPECT_EQ(frameRenderer.stamped, 0) << "the readout counts afresh after the rest";
    EXPECT_EQ(frameRenderer.framesSinceStamp, 0);
    tunnel.quitRequested = 1;
    EXPECT_TRUE(restEndsJourney()) << "a fly-out no one sees ends at once";
    resetTunnelState();
}

}  // namespace
