#include "journey.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "build.h"
#include "command.h"
#include "frame_clock.h"
#include "test_support.h"
#include "tunnel_state.h"

namespace {

constexpr int64_t kFrequency = 10000000;  // ticks per second, as Windows reports
constexpr double kHour = 3600.0;

// The program's frame path (clock step, advance, builder) with a synthetic
// counter in place of the real one.
struct SimulatedRun {
    SimulatedRun() {
        startFrameClock(frameClock, 987654321, kFrequency);
        frameClock.now = frameClock.start;
    }

    int32_t frame(int64_t ticks) {
        advanceFrameClock(frameClock, frameClock.now + ticks);
        const int32_t whole = advanceJourney(journey, frameClock.delta);
        buildTunnel(tunnel, whole);
        return whole;
    }

    double hours() const {
        return static_cast<double>(frameClock.now - frameClock.start) / (kFrequency * kHour);
    }

    FrameClock frameClock = {};
};

double ulpOf(float value) {
    return static_cast<double>(std::nextafter(value, std::numeric_limits<float>::infinity())) -
           value;
}

// Position along the journey modulo the wrap: what travel and carry hold.
double position() {
    return static_cast<double>(tunnel.travel) + journey.carry;
}

double wrappedDifference(double after, double before) {
    double difference = after - before;
    while (difference < -kWrapTravel / 2) difference += kWrapTravel;
    return difference;
}

struct LongRun {
    double framesPerSecond;
    float speed;
};

void PrintTo(const LongRun& run, std::ostream* out) {
    *out << run.framesPerSecond << " fps at speed " << run.speed;
}

class LongJourney : public ::testing::TestWithParam<LongRun> {};

}  // namespace

// A thousand hours, sampled: stretches of consecutive frames at points spread
// over the whole range, the clock jumping between them as after a sleep.
TEST_P(LongJourney, KeepsMovingAtTheSetSpeed) {
    const LongRun run = GetParam();
    freshJourney();
    tunnel.speed = run.speed;
    const int64_t frameTicks = std::llround(kFrequency / run.framesPerSecond);
    const double frameSeconds = static_cast<double>(frameTicks) / kFrequency;
    constexpr int kStretches = 9;
    constexpr int kFramesPerStretch = 1500;

    SimulatedRun sim;
    for (int stretch = 0; stretch < kStretches; ++stretch) {
        const double targetSeconds = 1000.0 * kHour * stretch / (kStretches - 1);
        const int64_t jump =
            std::llround(targetSeconds * kFrequency) - (sim.frameClock.now - sim.frameClock.start);
        if (jump > 0) {
            const int32_t whole = sim.frame(jump);
            ASSERT_GE(whole, 0);
            ASSERT_GE(tunnel.visibleRings, 1) << "after a jump to hour " << sim.hours();
            ASSERT_EQ(sim.frameClock.delta, static_cast<float>(jump / double(kFrequency)));
        }
        const double step = static_cast<double>(run.speed) * static_cast<float>(frameSeconds);
        double displayed = 0.0;
        double expected = 0.0;
        for (int i = 0; i < kFramesPerStretch; ++i) {
            const float travelBefore = tunnel.travel;
            const double positionBefore = position();
            const int32_t whole = sim.frame(frameTicks);

            ASSERT_GE(whole, 0);
            ASSERT_EQ(whole, static_cast<int32_t>(tunnel.travel));
            ASSERT_LT(tunnel.travel, kWrapTravel);
            ASSERT_GE(tunnel.visibleRings, 1);
            const double moved = wrappedDifference(tunnel.travel, travelBefore);
            ASSERT_NEAR(moved, step, ulpOf(tunnel.travel) + step / 16 + 1e-9)
                << "hour " << sim.hours() << " frame " << i;
            ASSERT_NEAR(wrappedDifference(position(), positionBefore), step, step / 16 + 1e-6);
            displayed += moved;
            expected += step;
            if (i % 97 == 0) {
                ASSERT_TRUE(frameIsFinite()) << "hour " << sim.hours();
            }
        }
        // Over a stretch the journey neither stalls nor races.
        EXPECT_NEAR(displayed, expected, 2 * ulpOf(tunnel.travel) + expected / 16)
            << "stretch at hour " << targetSeconds / kHour;
        EXPECT_GT(displayed, 0.0);
    }
}

INSTANTIATE_TEST_SUITE_P(FrameRatesAndSpeeds, LongJourney,
                         ::testing::Values(LongRun{10000, 8000.0f}, LongRun{60, 8000.0f},
                                           LongRun{10000, kMinSpeed}, LongRun{60, kMinSpeed},
                                           LongRun{10000, kMaxSpeed}, LongRun{60, kMaxSpeed}),
                         [](const ::testing::TestParamInfo<LongRun>& info) {
                             const char* speed = info.param.speed == kMinSpeed   ? "MinSpeed"
                                                 : info.param.speed == kMaxSpeed ? "MaxSpeed"
                                                                                 : "StartSpeed";
                             return std::to_string(static_cast<int>(info.param.framesPerSecond)) +
                                    "fps" + speed;
                         });

TEST(Journey, NormalRangeAdvanceIsTheFloatSum) {
    freshJourney();
    std::mt19937 random(17);
    std::uniform_real_distribution<float> frameTime(0.001f, 0.05f);
    while (tunnel.travel < 16777216.0f) {
        const float delta = frameTime(random);
        const float expected = static_cast<float>(static_cast<double>(tunnel.travel) +
                                                  static_cast<double>(tunnel.speed) * delta);
        const int32_t whole = advanceJourney(journey, delta);
        ASSERT_EQ(bitsOf(tunnel.travel), bitsOf(expected));
        ASSERT_EQ(whole, static_cast<int32_t>(expected));
        ASSERT_EQ(journey.carry, 0.0);
    }
}

TEST(Journey, AdvanceOfTwoSecondsIsTwiceTheSpeed) {
    freshJourney();
    EXPECT_EQ(advanceJourney(journey, 2.0f), 16000);
    EXPECT_EQ(tunnel.travel, 16000.0f);
    tunnel.travel = 91.5f;
    tunnel.speed = 8000.0f;
    EXPECT_EQ(advanceJourney(journey, 0.001f), 99);  // 99.5 goes to the builder as 99
}

TEST(Journey, WrapKeepsTheRingsAheadAndTheirSlots) {
    freshJourney();
    const int32_t beforeWrap = static_cast<int32_t>(kWrapTravel) - 256 * 3 - 10;
    tunnel.travel = static_cast<float>(beforeWrap - 8000);
    buildTunnel(tunnel, advanceJourney(journey, 1.0f));
    ASSERT_EQ(tunnel.travel, static_cast<float>(beforeWrap));
    const int32_t last = tunnel.lastShapedRing;
    const int32_t visible = tunnel.visibleRings;
    const RingRecord farRing = tunnel.rings[last & 127];

    tunnel.speed = 256 * 4;  // four rings in one second: across the wrap
    const int32_t whole = advanceJourney(journey, 1.0f);
    EXPECT_EQ(whole, beforeWrap + 256 * 4 - static_cast<int32_t>(kWrapTravel));
    EXPECT_EQ(tunnel.lastShapedRing, last - kWrapRings);
    buildTunnel(tunnel, whole);
    EXPECT_GE(tunnel.visibleRings, visible - 6);
    EXPECT_EQ(tunnel.lastShapedRing,
              std::max(last - kWrapRings, (whole >> 8) + tunnel.visibleRings - 1));
    // The farthest ring shaped before the wrap was not shaped again.
    EXPECT_EQ(bitsOf(tunnel.rings[last & 127].turn[1]), bitsOf(farRing.turn[1]));
}

// The depths and vertices of the frame last built, as bits, with the texture
// coordinate t taken `periods` whole texture repeats back.
std::vector<uint32_t> frameBits(float periods = 0) {
    std::vector<uint32_t> bits;
    for (int32_t j = 0; j < tunnel.visibleRings; ++j) {
        bits.push_back(bitsOf(tunnel.ringDepth[j]));
        for (const ScreenVertex& v : tunnel.screenVertices[j]) {
            for (float value : {v.x, v.y, v.s, v.t - periods}) bits.push_back(bitsOf(value));
        }
    }
    return bits;
}

// Across the wrap the journey stays on the one that never wraps: travel plus
// carry is the exact distance less one wrap of 80,640 rings, and each frame
// is, bit for bit, the frame built at the unwrapped distance (whose texture
// runs 1260 repeats further). Esc first, so that no ring is shaped anew and
// both frames use the very same rings.
TEST(Journey, CrossingTheWrapStaysOnTheUnwrappedJourney) {
    constexpr double kTrueWrap = 80640 * 256.0;
    freshJourney();
    tunnel.speed = 16.0f;
    tunnel.travel = static_cast<float>(kTrueWrap - 2584);
    buildTunnel(tunnel, static_cast<int32_t>(tunnel.travel));
    applyCommand(journey, Command::EndJourney);
    const auto shaped = std::make_unique<TunnelState>(tunnel);
    auto crossing = std::make_unique<TunnelState>();
    // Travel there holds even numbers only. 6.5 units leave half a unit to
    // carry, over 1/16 of the advance; 10 more leave another half, under
    // 1/16 but after a carry; 395 x 6.5 more land exactly on the wrap.
    double exact = tunnel.travel;
    for (int frame = 0; frame < 560; ++frame) {
        const float delta = frame == 1 ? 0.625f : 0.40625f;
        exact += 16.0 * delta;
        const bool wrapped = exact >= kTrueWrap;
        const int32_t whole = advanceJourney(journey, delta);
        ASSERT_EQ(position(), wrapped ? exact - kTrueWrap : exact) << "frame " << frame;
        buildTunnel(tunnel, whole);
        ASSERT_GE(tunnel.visibleRings, 1);
        const std::vector<uint32_t> bits = frameBits();
        *crossing = tunnel;
        tunnel = *shaped;
        buildTunnel(tunnel, whole + (wrapped ? static_cast<int32_t>(kTrueWrap) : 0));
        ASSERT_EQ(frameBits(wrapped ? 1260.0f : 0.0f), bits) << "frame " << frame;
        tunnel = *crossing;
    }
    EXPECT_GT(position(), 4 * 256.0) << "four rings past the wrap";
}

// The web page's "fly again": after Esc, pulsing rings and the fly-out, the
// new journey draws the very frames of a fresh start.
TEST(Journey, AgainAfterTheFlyOutIsAFreshStart) {
    const std::vector<float> deltas = {0.0f, 0.016f, 0.5f, 0.033f, 1.25f};
    std::vector<std::vector<uint32_t>> fresh;
    freshJourney();
    for (float delta : deltas) {
        buildTunnel(tunnel, advanceJourney(journey, delta));
        fresh.push_back(frameBits());
    }
    applyCommand(journey, Command::TogglePulse);
    applyCommand(journey, Command::Faster);
    buildTunnel(tunnel, advanceJourney(journey, 3.0f));
    applyCommand(journey, Command::EndJourney);
    for (int frame = 0; frame < 1000 && tunnel.visibleRings > 0; ++frame) {
        buildTunnel(tunnel, advanceJourney(journey, 0.02f));
    }
    ASSERT_EQ(tunnel.visibleRings, 0) << "flown out";

    startJourneyAgain(journey);
    EXPECT_EQ(tunnel.quitRequested, 0);
    EXPECT_EQ(tunnel.pulse, 0);
    EXPECT_EQ(tunnel.speed, 8000.0f);
    for (size_t i = 0; i < deltas.size(); ++i) {
        buildTunnel(tunnel, advanceJourney(journey, deltas[i]));
        ASSERT_GT(tunnel.visibleRings, 1);
        ASSERT_EQ(frameBits(), fresh[i]) << "frame " << i;
    }
}

TEST(Journey, HugeOrBrokenStepsStaySafe) {
    freshJourney();
    buildTunnel(tunnel, advanceJourney(journey, 0.016f));
    for (float delta : {1e6f, 3.4e38f, std::numeric_limits<float>::infinity(), -5.0f,
                        std::numeric_limits<float>::quiet_NaN(), 0.0f}) {
        const float before = tunnel.travel;
        const int32_t whole = advanceJourney(journey, delta);
        EXPECT_GE(whole, 0) << delta;
        EXPECT_GE(tunnel.lastShapedRing, -1) << "a jump past every shaped ring keeps none";
        EXPECT_LT(tunnel.travel, kWrapTravel);
        EXPECT_TRUE(std::isfinite(journey.carry));
        buildTunnel(tunnel, whole);
        EXPECT_GE(tunnel.visibleRings, 1) << delta;
        if (!(delta > 0.0f)) {
            EXPECT_EQ(tunnel.travel, before) << "a broken clock moves nothing: " << delta;
        }
    }
}

TEST(Journey, CounterSecondsRejectsBrokenCounters) {
    EXPECT_EQ(counterSeconds(kFrequency * 3, kFrequency), 3.0);
    EXPECT_EQ(counterSeconds(-5, kFrequency), 0.0);
    EXPECT_EQ(counterSeconds(5, 0), 0.0);
    EXPECT_EQ(counterSeconds(5, -1), 0.0);
}

TEST(FrameClockTest, DeltaComesFromTheReadingsNotTheRoundedTime) {
    FrameClock frameClock = {};
    startFrameClock(frameClock, 5000, kFrequency);
    advanceFrameClock(frameClock, 5000 + kFrequency / 4);
    EXPECT_EQ(frameClock.time, 0.25f);
    EXPECT_EQ(frameClock.delta, 0.25f) << "the first paint measures from start";

    // A thousand hours in, time is rounded to a quarter second, but a frame
    // of 0.1 ms still gets its exact length.
    const int64_t late = 5000 + static_cast<int64_t>(1000 * kHour) * kFrequency + 1234567;
    advanceFrameClock(frameClock, late);
    advanceFrameClock(frameClock, late + 1000);
    EXPECT_EQ(frameClock.delta, 0.0001f);
    EXPECT_EQ(frameClock.time, static_cast<float>((late + 1000 - 5000) / double(kFrequency)));

    advanceFrameClock(frameClock, late);  // a counter that went backwards moves nothing
    EXPECT_EQ(frameClock.delta, 0.0f);
}

TEST(Speed, FactorsAreExactInsideTheBounds) {
    EXPECT_EQ(scaledSpeed(8000.0f, 1.41410005f), static_cast<float>(8000.0 * double(1.41410005f)));
    EXPECT_EQ(scaledSpeed(scaledSpeed(8000.0f, 1.41410005f), 0.70716351f), 8000.0f);
    float faster = 8000.0f;
    float slower = 8000.0f;
    for (int i = 0; i < 18; ++i) {
        const float up = static_cast<float>(static_cast<double>(faster) * 1.41410005f);
        const float down = static_cast<float>(static_cast<double>(slower) * 0.70716351f);
        faster = scaledSpeed(faster, 1.41410005f);
        slower = scaledSpeed(slower, 0.70716351f);
        EXPECT_TRUE(up > kMaxSpeed || faster == up) << "press " << i + 1;
        EXPECT_TRUE(down < kMinSpeed || slower == down) << "press " << i + 1;
    }
}

TEST(Speed, BoundsHoldAndEitherDirectionStillWorks) {
    float speed = 8000.0f;
    for (int i = 0; i < 1000; ++i) speed = scaledSpeed(speed, 1.41410005f);
    EXPECT_EQ(speed, kMaxSpeed);
    EXPECT_LT(scaledSpeed(speed, 0.70716351f), kMaxSpeed);
    for (int i = 0; i < 1000; ++i) speed = scaledSpeed(speed, 0.70716351f);
    EXPECT_EQ(speed, kMinSpeed);
    EXPECT_GT(scaledSpeed(speed, 1.41410005f), kMinSpeed);
    EXPECT_EQ(scaledSpeed(std::numeric_limits<float>::quiet_NaN(), 1.41410005f), kMinSpeed);
    EXPECT_EQ(scaledSpeed(std::numeric_limits<float>::infinity(), 0.70716351f), kMaxSpeed);
}

// Random keys and clock jumps through the platform-free handlers and the
// frame path, under the sanitizers.
TEST(RandomInput, KeysAndClockJumpsKeepTheJourneyValid) {
    std::mt19937 random(99);
    for (int session = 0; session < 6; ++session) {
        freshJourney();
        SimulatedRun sim;
        const int32_t characters[] = {'+', '-', ' ', '+', '-', 'q', 0, -1, INT32_MAX};
        const int64_t jumps[] = {0,
                                 1000,
                                 kFrequency / 60,
                                 kFrequency * 2,
                                 kFrequency * 3600,
                                 kFrequency * 3600 * 24 * 365,
                                 -kFrequency};
        const int steps = 800;
        for (int step = 0; step < steps; ++step) {
            const int burst = random() % 3 == 0 ? 50 : 1;
            const int32_t key = characters[random() % std::size(characters)];
            Command command = Command::Faster;
            for (int i = 0; i < burst && commandForCharacter(key, command); ++i)
                applyCommand(journey, command);
            if (session % 2 == 1 && step == steps - 200)
                applyCommand(journey, Command::EndJourney);

            const int32_t whole = sim.frame(jumps[random() % std::size(jumps)]);
            ASSERT_GE(whole, 0);
            ASSERT_EQ(whole, static_cast<int32_t>(tunnel.travel));
            ASSERT_LT(tunnel.travel, kWrapTravel);
            ASSERT_GE(tunnel.speed, kMinSpeed);
            ASSERT_LE(tunnel.speed, kMaxSpeed);
            ASSERT_TRUE(std::isfinite(journey.carry));
            ASSERT_TRUE(frameIsFinite());
            if (tunnel.quitRequested == 0) {
                ASSERT_GE(tunnel.visibleRings, 1) << "session " << session << " step " << step;
            }
        }
    }
}
