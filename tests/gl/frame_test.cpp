// The frame step and the renderer in the real window: readout, advance, end
// of journey and what reaches the screen.
#include "frame.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "command.h"
#include "gl_context.h"
#include "journey.h"
#include "scene.h"
#include "tunnel_state.h"
#include "version.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// An image of the back buffer with lookups in screen units.
struct Frame {
    ClientSize size;
    std::vector<uint8_t> rgb;

    const uint8_t* at(double x, double y) const {
        const double aspect = static_cast<double>(size.width) / size.height;
        const double right = aspect > 4.0 / 3.0 ? aspect : 4.0 / 3.0;
        const double top = aspect > 4.0 / 3.0 ? 1.0 : (4.0 / 3.0) / aspect;
        const int px = static_cast<int>((x / right + 1.0) * 0.5 * size.width);
        const int py = static_cast<int>((y / top + 1.0) * 0.5 * size.height);
        return rgb.data() + (static_cast<size_t>(py) * size.width + px) * 3;
    }
};

Frame grab(const ClientSize& size) {
    return {size, readBackBuffer(size.width, size.height)};
}

int luminance(const uint8_t* p) {
    return (p[0] * 3 + p[1] * 6 + p[2]) / 10;
}

// Ring at visible position j: a circle on screen, vertex 0 at the bottom,
// 16 on the right, 32 at the top (counterclockwise), one texel everywhere.
void placeRing(int j, double radius, float depth, float s, float t) {
    tunnel.ringDepth[j] = depth;
    for (int k = 0; k < kRingVertices; ++k) {
        const double angle = (k & 63) * (2.0 * kPi / 64.0);
        tunnel.screenVertices[j][k] = {static_cast<float>(radius * std::sin(angle)),
                                       static_cast<float>(-radius * std::cos(angle)), s, t};
    }
}

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetProgramState();
        client = useRealClientSize();
        startVoyage(testVoyage, programTile(), client.width, client.height);
    }

    ClientSize client = {};
};

// The first frame stamps the clock without a readout; then the readout shows
// the rate once a second.
TEST_F(FrameTest, ReadoutShowsTheRateOncePerSecond) {
    const auto readout = [this](double seconds) {
        const FrameOutcome outcome = hostFrame(client, seconds);
        return outcome.readoutDue != 0 ? std::string(outcome.readout) : std::string("none");
    };
    EXPECT_EQ(readout(5.0), "none");
    EXPECT_EQ(frameRate.fpsStamp, 5.0f);
    EXPECT_EQ(frameRate.framesSinceStamp, 1);
    EXPECT_EQ(readout(5.5), "none");
    EXPECT_EQ(frameRate.fpsStamp, 5.0f) << "the stamp is set by the first call only";
    EXPECT_EQ(frameRate.framesSinceStamp, 2);

    frameRate.framesSinceStamp = 120;
    EXPECT_EQ(readout(7.0), " Ringvoyage " RINGVOYAGE_READOUT_VERSION " - 60 FPS");
    EXPECT_EQ(frameRate.fpsStamp, 7.0f);
    EXPECT_EQ(frameRate.framesSinceStamp, 1) << "this frame counts towards the next";

    frameRate.framesSinceStamp = 100;
    EXPECT_EQ(readout(8.5), " Ringvoyage " RINGVOYAGE_READOUT_VERSION " - 66.6667 FPS");

    frameRate.framesSinceStamp = 50;
    EXPECT_EQ(readout(9.4999), "none") << "less than a second since the last readout";
    EXPECT_EQ(frameRate.framesSinceStamp, 51);
    EXPECT_EQ(readout(9.5), " Ringvoyage " RINGVOYAGE_READOUT_VERSION " - 51 FPS");
}

// Hidden, or a client area 0 wide or high: nothing is drawn.
TEST_F(FrameTest, RestingRestartsTheReadoutOrEndsAFlyOut) {
    for (const HostFrame& unseen :
         {HostFrame{7, 0, 600, 0, 0}, HostFrame{7, 800, 0, 0, 0}, HostFrame{7, 800, 600, 1, 0}}) {
        frameRate = {3.0f, 40, 1};
        const FrameOutcome outcome = stepFrame(testVoyage, unseen);
        EXPECT_EQ(outcome.rest, 1);
        EXPECT_EQ(outcome.ended, 0);
        EXPECT_EQ(frameRate.stamped, 0) << "the readout counts afresh after the rest";
        EXPECT_EQ(frameRate.framesSinceStamp, 0);
        EXPECT_EQ(frameClock.now, 0) << "no time passes";
    }
    applyCommand(testVoyage.journey, Command::EndJourney);
    EXPECT_EQ(stepFrame(testVoyage, {7, 0, 0, 0, 0}).ended, 1) << "a fly-out no one sees ends";
}

// A second output shows the frame the step drew: the same rings and, at the
// same size, the same pixels, with no time passing and no frame counted.
TEST_F(FrameTest, RedrawShowsTheSameFrameUncounted) {
    hostFrame(client, 0.25);
    const Frame drawn = grab(client);
    const float travel = tunnel.travel;
    const int32_t rings = tunnel.visibleRings;
    const ScreenVertex farthest = tunnel.screenVertices[rings - 1][3];
    ASSERT_GT(travel, 0.0f);
    ASSERT_GT(rings, 1);
    EXPECT_FALSE(redrawStep(testVoyage, 640, 0));
    EXPECT_TRUE(redrawStep(testVoyage, 640, 480));
    EXPECT_EQ(std::memcmp(&tunnel.screenVertices[rings - 1][3], &farthest, sizeof farthest), 0);
    EXPECT_TRUE(redrawStep(testVoyage, client.width, client.height));
    EXPECT_TRUE(grab(client).rgb == drawn.rgb);
    EXPECT_EQ(tunnel.travel, travel);
    EXPECT_EQ(tunnel.visibleRings, rings);
    EXPECT_EQ(frameRate.framesSinceStamp, 1);
    EXPECT_EQ(frameClock.time, 0.25f);
}

TEST_F(FrameTest, AdvancePassesTheWholeTravelToTheBuilder) {
    tunnel.speed = 199.0f;
    hostFrame(client, 0.5);
    EXPECT_EQ(tunnel.travel, 99.5f);
    ASSERT_GE(tunnel.visibleRings, 1);
    EXPECT_EQ(tunnel.ringDepth[0], 1.0f - 99.0f / 256.0f) << "built for travel 99";

    tunnel.speed = 8000.0f;
    hostFrame(client, 2.5);
    EXPECT_EQ(tunnel.travel, 16099.5f) << "a two-second gap moves twice the speed";
    EXPECT_EQ(tunnel.ringDepth[0], 1.0f - 227.0f / 256.0f) << "ring 62, fraction 227/256";
    EXPECT_EQ(tunnel.screenVertices[0][0].t, 62.0f / 64.0f);
}

// Just short of the wrap, one second at the top speed carries travel over
// it: the builder gets the wrapped whole travel, never an out-of-range one.
TEST_F(FrameTest, AdvanceWrapsTravelLongBeforeTheBuildersRange) {
    tunnel.travel = static_cast<float>(kWrapTravel - 1000.0);
    tunnel.speed = kMaxSpeed;
    hostFrame(client, 1.0);
    EXPECT_EQ(tunnel.travel, static_cast<float>(static_cast<int32_t>(kMaxSpeed) - 1000));
    EXPECT_GE(tunnel.visibleRings, 1);
}

// Random sizes to every extreme, commands and pauses, a frame after each.
TEST_F(FrameTest, RandomSessionsKeepAWorkingFrame) {
    std::mt19937 random(4242);
    const int32_t sides[] = {0, 1, 600, 800, 1024, 65535};
    const Command commands[] = {Command::Faster, Command::Slower, Command::TogglePulse};
    const double pauses[] = {0.0, 0.0001, 0.016, 2.0, 3600.0, 86400.0 * 30};
    double seconds = 0.0;
    hostFrame(client);
    for (int step = 0; step < 300; ++step) {
        const ClientSize size = {sides[random() % 6], sides[random() % 6]};
        const Command command = commands[random() % 3];
        for (int i = random() % 4 == 0 ? 40 : 1; i > 0; --i) {
            applyCommand(testVoyage.journey, command);  // once, or a held key's repeats
        }
        resizeViewport(size.width, size.height);
        seconds += pauses[random() % 6];
        const FrameOutcome outcome = hostFrame(size, seconds);
        ASSERT_TRUE(frameWorks()) << "step " << step;
        float aspect = 0.0f;
        ASSERT_EQ(outcome.rest, clientAspect(size.width, size.height, aspect) ? 0 : 1);
        ASSERT_TRUE(outcome.rest == 1 || tunnel.lastAspect == aspect) << "step " << step;
    }
    resizeViewport(client.width, client.height);
}

TEST_F(FrameTest, ShadeFadesWithDepth) {
    EXPECT_EQ(shade(0.0f), 1.0f);
    EXPECT_EQ(shade(3.6f), 1.0f) << "with the loop below: 1 all the way from 0";
    EXPECT_EQ(shade(4.0f), static_cast<float>(1.0 / 1.1));
    EXPECT_EQ(shade(10.0f), static_cast<float>(1.0 / 2.6));
    EXPECT_EQ(shade(128.0f), static_cast<float>(1.0 / 32.1));
    EXPECT_EQ(shade(NAN), 1.0f);
    EXPECT_EQ(shade(INFINITY), 0.0f);
    float previous = 1.0f;
    for (float depth = 0.0f; depth <= 128.0f; depth += 0.125f) {
        const float grey = shade(depth);
        EXPECT_LE(grey, previous) << "depth " << depth;
        EXPECT_GT(grey, 0.0f);
        previous = grey;
    }
}

TEST_F(FrameTest, StripsAreShadedAndOnlyTheInnerWallIsDrawn) {
    const TileImage tile = programTile();
    ASSERT_EQ(tile.width, 64);
    const uint8_t* texel = tile.bgr + 8 * 192 + 8 * 3;  // a tile face, BGR
    const float s = 8.5f / 64.0f;
    const float t = 8.5f / 64.0f;
    tunnel.visibleRings = 2;
    const auto draw = [&](double nearRadius, float nearDepth, double farRadius, float farDepth) {
        placeRing(0, nearRadius, nearDepth, s, t);
        placeRing(1, farRadius, farDepth, s, t);
        drawTunnel(tunnel);
        return grab(client);
    };

    // Near ring around the far one: the wall between them faces the viewer.
    const Frame lit = draw(0.9, 2.0f, 0.3, 3.0f);
    for (double x : {-0.6, 0.6}) {
        const uint8_t* p = lit.at(x, 0.0);
        EXPECT_NEAR(p[0], texel[2], 2) << "x " << x;
        EXPECT_NEAR(p[1], texel[1], 2) << "x " << x;
        EXPECT_NEAR(p[2], texel[0], 2) << "x " << x;
    }
    EXPECT_EQ(luminance(lit.at(0.0, 0.0)), 0) << "inside the far ring nothing is drawn";
    EXPECT_EQ(luminance(lit.at(0.0, 0.97)), 0) << "outside the near ring the window is cleared";

    // Both rings at depth 10: every texel times 1/2.6.
    const Frame dim = draw(0.9, 10.0f, 0.3, 10.0f);
    const double grey = 1.0 / 2.6;
    const uint8_t* p = dim.at(0.0, -0.6);
    EXPECT_NEAR(p[0], texel[2] * grey, 2);
    EXPECT_NEAR(p[1], texel[1] * grey, 2);
    EXPECT_NEAR(p[2], texel[0] * grey, 2);

    // Near at 2, far at 10: the grey runs from full at the outer edge down.
    const Frame ramp = draw(0.9, 2.0f, 0.3, 10.0f);
    EXPECT_GT(luminance(ramp.at(0.8, 0.0)), luminance(ramp.at(0.6, 0.0)));
    EXPECT_GT(luminance(ramp.at(0.6, 0.0)), luminance(ramp.at(0.4, 0.0)));

    // Far ring outside the near one: that wall is seen from its back and culled.
    const Frame culled = draw(0.3, 2.0f, 0.9, 3.0f);
    EXPECT_EQ(luminance(culled.at(0.6, 0.0)), 0);
    EXPECT_EQ(luminance(culled.at(-0.6, 0.0)), 0);
}

TEST_F(FrameTest, RealFrameShowsAWallThatDarkensWithDistance) {
    hostFrame(client);
    ASSERT_GT(tunnel.visibleRings, 8);
    Frame image = grab(client);

    // The window's edge is covered by the nearest rings at full brightness.
    long edgeSum = 0;
    int edgeCount = 0;
    std::vector<int> levels;
    for (int y = 0; y < client.height; ++y) {
        for (int x = 0; x < client.width; ++x) {
            const int l = luminance(&image.rgb[(static_cast<size_t>(y) * client.width + x) * 3]);
            levels.push_back(l);
            if (x < 4 || y < 4 || x >= client.width - 4 || y >= client.height - 4) {
                edgeSum += l;
                ++edgeCount;
            }
        }
    }
    const double edgeMean = static_cast<double>(edgeSum) / edgeCount;
    std::sort(levels.begin(), levels.end());
    const int darkest = levels[levels.size() / 200];
    const int black = static_cast<int>(std::count(levels.begin(), levels.end(), 0));
    EXPECT_GT(edgeMean, 100.0) << "the near wall is drawn, not culled";
    EXPECT_LT(darkest * 4, edgeMean) << "far rings are darker than near ones";
    EXPECT_LT(black, static_cast<int>(levels.size() / 20)) << "the tunnel fills the window";
}

// The last ring alone leaves a cleared window; past it, the ended journey
// says so every frame and draws nothing.
TEST_F(FrameTest, TheLastRingClearsAndTheEndDrawsNothing) {
    hostFrame(client);
    ASSERT_GT(tunnel.visibleRings, 1);
    const int32_t last = tunnel.lastShapedRing;
    const int32_t counted = frameRate.framesSinceStamp + 1;
    tunnel.quitRequested = 1;
    tunnel.travel = static_cast<float>(last) * 256.0f;
    EXPECT_EQ(hostFrame(client).ended, 0);
    EXPECT_EQ(tunnel.visibleRings, 1);
    EXPECT_EQ(frameRate.framesSinceStamp, counted);
    const Frame cleared = grab(client);
    EXPECT_TRUE(
        std::all_of(cleared.rgb.begin(), cleared.rgb.end(), [](uint8_t v) { return v == 0; }));

    tunnel.travel = static_cast<float>(last + 1) * 256.0f;
    glClearColor(0.0f, 0.0f, 1.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    for (int frame = 0; frame < 3; ++frame) {
        EXPECT_EQ(hostFrame(client).ended, 1) << "frame " << frame;
        EXPECT_EQ(tunnel.visibleRings, 0);
    }
    EXPECT_EQ(tunnel.lastShapedRing, last) << "nothing is shaped after the quit request";
    EXPECT_EQ(frameRate.framesSinceStamp, counted);
    Frame image = grab(client);
    const uint8_t* centre = image.at(0.0, 0.0);
    EXPECT_EQ(centre[2], 255) << "the window was not cleared";
}

}  // namespace
