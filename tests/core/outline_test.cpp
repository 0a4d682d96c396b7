#include "outline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "test_support.h"
#include "tunnel_state.h"

namespace {

class Outline : public ::testing::Test {
protected:
    void SetUp() override { freshJourney(); }
};
}  // namespace

TEST_F(Outline, BaseCircleAfterInit) {
    const OutlinePoint* base = tunnel.outlines[0];
    EXPECT_EQ(base[0].x, 0.0f);
    EXPECT_EQ(base[0].y, 25.0f);
    EXPECT_FLOAT_EQ(base[8].x, 17.67767f);
    EXPECT_FLOAT_EQ(base[8].y, 17.67767f);
    EXPECT_EQ(base[16].x, 25.0f);
    EXPECT_NE(base[16].y, 0.0f) << "pi/32 in single precision is not exact";
    EXPECT_NEAR(base[16].y, -0.0000011, 1e-7);
    EXPECT_NEAR(base[32].x, 0.0, 1e-5);
    EXPECT_EQ(base[32].y, -25.0f);
    EXPECT_EQ(base[48].x, -25.0f);
    for (int i = 0; i < kOutlinePoints; ++i) {
        EXPECT_NEAR(std::hypot(base[i].x, base[i].y), 25.0, 4e-6);
    }
    EXPECT_EQ(tunnel.lastShapedRing, -1);
    EXPECT_EQ(tunnel.vertexStep, 1);
    EXPECT_EQ(tunnel.visibleRings, 0);
    EXPECT_EQ(tunnel.speed, 8000.0f);
    EXPECT_EQ(tunnel.travel, 0.0f);
    EXPECT_EQ(tunnel.focal, 2.0f);
}

TEST_F(Outline, InitTouchesNeitherRingRowsNorRecords) {
    tunnel.outlines[5][3].x = 77.0f;
    tunnel.rings[9].radius = 3.0f;
    initRingOutlines(tunnel);
    EXPECT_EQ(tunnel.outlines[5][3].x, 77.0f);
    EXPECT_EQ(tunnel.rings[9].radius, 3.0f);
}

TEST_F(Outline, RingZeroHasNoTurnAndTheBaseOutline) {
    shapeRing(tunnel, 0, 0, 1.0f);
    const RingRecord& ring = tunnel.rings[0];
    for (float turn : ring.turn) EXPECT_EQ(bitsOf(turn), 0u);
    EXPECT_EQ(ring.radius, 25.0f);
    for (int i = 0; i < kOutlinePoints; ++i) {
        EXPECT_EQ(bitsOf(tunnel.outlines[1][i].x), bitsOf(tunnel.outlines[0][i].x));
        EXPECT_EQ(bitsOf(tunnel.outlines[1][i].y), bitsOf(tunnel.outlines[0][i].y));
    }
}

TEST_F(Outline, TurnAnglesPeakWhereTheirSinesDo) {
    shapeRing(tunnel, 20, 20, 1.0f);
    EXPECT_FLOAT_EQ(tunnel.rings[20].turn[0], 0.016755162f);
    shapeRing(tunnel, 45, 45, 1.0f);
    EXPECT_FLOAT_EQ(tunnel.rings[45].turn[1], 0.067020647f);
    shapeRing(tunnel, 35, 35, 1.0f);
    EXPECT_FLOAT_EQ(tunnel.rings[35].turn[2], 0.033510324f);
    // pi/40 rounded to single precision leaves ring 40 a hair off zero.
    shapeRing(tunnel, 40, 40, 1.0f);
    EXPECT_NE(tunnel.rings[40].turn[0], 0.0f);
    EXPECT_NEAR(tunnel.rings[40].turn[0], -1.5e-9, 0.2e-9);
}

TEST_F(Outline, TurnAnglesFollowTheirWavesForManyRings) {
    const double frequency[3] = {0.07853982f, 0.034906585f, 0.044879895f};
    const double amplitude[3] = {0.01675516128540039, 0.06702064514160155, 0.03351032257080078};
    for (int n = 0; n < 5000; n += 7) {
        shapeRing(tunnel, n & 127, n, 1.0f);
        for (int a = 0; a < 3; ++a) {
            const float expected = static_cast<float>(std::sin(n * frequency[a]) * amplitude[a]);
            EXPECT_NEAR(tunnel.rings[n & 127].turn[a], expected, 1e-9) << "ring " << n;
        }
    }
}

TEST_F(Outline, PulseScales) {
    EXPECT_EQ(ringScale(5, 0), 1.0f);
    const std::pair<int32_t, float> scales[] = {{5, 1.25f},  {25, 1.25f},      {15, 0.75f},
                                                {35, 0.75f}, {0, 1.0f},        {10, 1.0f},
                                                {20, 1.0f},  {30, 0.99999994f}};
    for (const auto& [ring, scale] : scales)
        EXPECT_EQ(ringScale(ring, 1), scale) << "ring " << ring;
    for (int n = 0; n < 2000; ++n) {
        const float scale = ringScale(n, 1);
        EXPECT_GE(scale, 0.75f);
        EXPECT_LE(scale, 1.25f);
    }

    shapeRing(tunnel, 5, 5, ringScale(5, 1));
    EXPECT_EQ(tunnel.rings[5].radius, 31.25f);
    EXPECT_EQ(tunnel.outlines[6][0].x, 0.0f);
    EXPECT_EQ(tunnel.outlines[6][0].y, 31.25f);
    shapeRing(tunnel, 15, 15, ringScale(15, 1));
    EXPECT_EQ(tunnel.rings[15].radius, 18.75f);
}

TEST_F(Outline, OutlineIsTheBaseCircleScaledInSinglePrecision) {
    const float scale = 1.1234567f;
    shapeRing(tunnel, 77, 77, scale);
    for (int i = 0; i < kOutlinePoints; ++i) {
        EXPECT_EQ(bitsOf(tunnel.outlines[78][i].x), bitsOf(scale * tunnel.outlines[0][i].x));
        EXPECT_EQ(bitsOf(tunnel.outlines[78][i].y), bitsOf(scale * tunnel.outlines[0][i].y));
    }
}

TEST_F(Outline, RingNumbers128ApartShareASlot) {
    shapeRing(tunnel, 5, 5, 1.0f);
    const RingRecord ring5 = tunnel.rings[5];
    shapeRing(tunnel, 5, 133, 1.25f);
    const RingRecord& ring133 = tunnel.rings[5];
    EXPECT_EQ(ring133.radius, 31.25f);
    EXPECT_NE(bitsOf(ring133.turn[1]), bitsOf(ring5.turn[1]));
    EXPECT_EQ(tunnel.outlines[6][0].y, 31.25f);
    EXPECT_EQ(tunnel.lastShapedRing, -1) << "shaping leaves the counter to the walk";

    // Shaping again gives identical data: nothing accumulates.
    shapeRing(tunnel, 5, 5, 1.0f);
    const RingRecord again = tunnel.rings[5];
    for (int a = 0; a < 3; ++a) EXPECT_EQ(bitsOf(again.turn[a]), bitsOf(ring5.turn[a]));
    EXPECT_EQ(again.radius, 25.0f);
}
