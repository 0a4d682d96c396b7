#include "build.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "bounds.h"
#include "matrix.h"
#include "outline.h"
#include "test_support.h"
#include "tunnel_state.h"

namespace {

class Build : public ::testing::Test {
protected:
    void SetUp() override { freshJourney(); }
};

const RingRecord& ringAt(int32_t travel, int32_t j) {
    return tunnel.rings[((travel >> 8) + j) & (kMaxRings - 1)];
}

void expectVec(const Vec4& v, float x, float y, float z, float w) {
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.z, z);
    EXPECT_EQ(v.w, w);
}

double length(const Vec4& v) {
    return std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
}

double dot(const Vec4& a, const Vec4& b) {
    return double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
}

// Which camera-space coordinates of a vertex are rounded to float before the
// division by depth.
struct Rounding {
    bool x, y, z;
};
constexpr Rounding kRoundXAndZ = {true, false, true};

// Screen x and y of outline point o on `ring`, worked out from the ring's
// centre and axes; a depth that is not positive is replaced by 0.1f.
std::pair<float, float> projected(const RingRecord& ring, const OutlinePoint& o, Rounding r) {
    const Vec4 &C = ring.center, &S = ring.side, &U = ring.up;
    double X = (double(U.x) * o.y + double(S.x) * o.x) + C.x;
    double Y = (double(U.y) * o.y + double(S.y) * o.x) + C.y;
    double Z = (double(U.z) * o.y + double(S.z) * o.x) + C.z;
    X = storedAs(X, r.x), Y = storedAs(Y, r.y), Z = storedAs(Z, r.z);
    const double depth = Y > 0.0 ? Y : double(0.1f);
    return {static_cast<float>(2.0 * X / depth), static_cast<float>(-(Z * 2.0 / depth))};
}

// Vertices of the last build whose bits differ from `projected` with r.
int projectionMismatches(int32_t travel, Rounding r) {
    int mismatches = 0;
    for (int j = 0; j < tunnel.visibleRings; ++j) {
        const int32_t slot = ((travel >> 8) + j) & (kMaxRings - 1);
        for (int k = 0; k <= 64; ++k) {
            const auto [x, y] = projected(tunnel.rings[slot], tunnel.outlines[1 + slot][k & 63], r);
            const ScreenVertex& v = tunnel.screenVertices[j][k];
            mismatches += bitsOf(v.x) != bitsOf(x) || bitsOf(v.y) != bitsOf(y);
        }
    }
    return mismatches;
}

}  // namespace

TEST_F(Build, TravelZeroStartsOneSpacingAhead) {
    buildTunnel(tunnel, 0);
    ASSERT_GE(tunnel.visibleRings, 2);
    EXPECT_EQ(tunnel.lastShapedRing, tunnel.visibleRings - 1);
    const RingRecord& ring0 = ringAt(0, 0);
    expectVec(ring0.center, 0, 8, 0, 1);
    expectVec(ring0.side, 1, 0, 0, 1);
    expectVec(ring0.up, 0, 0, 1, 1);
    // Ring 0 has no turn, so ring 1 follows straight on.
    expectVec(ringAt(0, 1).center, 0, 16, 0, 1);
    expectVec(ringAt(0, 1).side, 1, 0, 0, 1);
    for (int j = 0; j < tunnel.visibleRings; ++j) {
        EXPECT_EQ(tunnel.ringDepth[j], static_cast<float>(j + 1));
    }
}

TEST_F(Build, PulseShapesRingZeroPlainAndRingFiveSwollen) {
    tunnel.pulse = 1;
    buildTunnel(tunnel, 0);
    ASSERT_GE(tunnel.visibleRings, 6);
    EXPECT_EQ(tunnel.rings[0].radius, 25.0f);
    EXPECT_EQ(tunnel.rings[5].radius, 31.25f);
    EXPECT_EQ(tunnel.rings[15].radius, 18.75f);
}

TEST_F(Build, HalfwayRingGetsHalfStepAndHalfTurn) {
    const int32_t travel = 256 * 10 + 128;
    buildTunnel(tunnel, travel);
    ASSERT_GE(tunnel.visibleRings, 2);
    EXPECT_EQ(tunnel.ringDepth[0], 0.5f);
    EXPECT_EQ(tunnel.ringDepth[1], 1.5f);
    const RingRecord& nearest = ringAt(travel, 0);
    expectVec(nearest.center, 0, 4, 0, 1);

    Matrix3 half;
    matIdentity(half);
    matRotation(half, nearest.turn[0] * 0.5f, nearest.turn[1] * 0.5f, nearest.turn[2] * 0.5f);
    Vec4 side = {0, 0, 0, 1}, forward = {0, 0, 0, 1}, up = {0, 0, 0, 1};
    matTransform(half, {1, 0, 0, 1}, side);
    matTransform(half, {0, 8, 0, 1}, forward);
    matTransform(half, {0, 0, 1, 1}, up);
    const RingRecord& next = ringAt(travel, 1);
    expectVec(next.side, side.x, side.y, side.z, 1);
    expectVec(next.up, up.x, up.y, up.z, 1);
    expectVec(next.center, forward.x, static_cast<float>(forward.y + 4.0), forward.z, 1);
}

TEST_F(Build, StraightTunnelProjectsExactly) {
    shapeStraightTunnel(300);
    buildTunnel(tunnel, 0);
    ASSERT_EQ(tunnel.visibleRings, 128) << "nested rectangles never empty the clip";
    EXPECT_EQ(tunnel.lastShapedRing, 300) << "no ring is shaped twice";
    const OutlinePoint* base = tunnel.outlines[0];
    for (int j = 0; j < 128; ++j) {
        const RingRecord& ring = tunnel.rings[j];
        expectVec(ring.center, 0, 8.0f * (j + 1), 0, 1);
        expectVec(ring.side, 1, 0, 0, 1);
        expectVec(ring.up, 0, 0, 1, 1);
        EXPECT_EQ(tunnel.ringDepth[j], float(j + 1));
        const double depth = 8.0 * (j + 1);
        for (int k = 0; k <= 64; ++k) {
            const ScreenVertex& v = tunnel.screenVertices[j][k];
            const OutlinePoint& o = base[k & 63];
            EXPECT_EQ(bitsOf(v.x), bitsOf(static_cast<float>(2.0 * o.x / depth)));
            EXPECT_EQ(bitsOf(v.y), bitsOf(static_cast<float>(-(o.y * 2.0 / depth))));
            EXPECT_EQ(v.s, static_cast<float>(k / 64.0));
            EXPECT_EQ(v.t, static_cast<float>(j / 64.0));
        }
    }
}

// Ring positions are summed in single precision, one rounding per ring and
// component. Only ring 0 turns, so every later step is the same vector.
TEST_F(Build, RingCentresAreSummedInSinglePrecision) {
    shapeStraightTunnel(200);
    tunnel.rings[0].turn[0] = 0.03f;
    tunnel.rings[0].turn[1] = 0.02f;
    tunnel.rings[0].turn[2] = 0.05f;
    buildTunnel(tunnel, 0);
    ASSERT_EQ(tunnel.visibleRings, 128);

    Matrix3 turn;
    matIdentity(turn);
    matRotation(turn, 0.03f, 0.02f, 0.05f);
    Vec4 step = {0, 0, 0, 1};
    matTransform(turn, {0, 8, 0, 1}, step);
    float sum[3] = {0, 8, 0};
    double wideSum[3] = {0, 8, 0};
    bool widthMatters = false;
    for (int j = 1; j < 128; ++j) {
        const float* s = &step.x;
        const float* centre = &tunnel.rings[j].center.x;
        for (int c = 0; c < 3; ++c) {
            sum[c] = static_cast<float>(double(s[c]) + sum[c]);
            wideSum[c] += s[c];
            EXPECT_EQ(bitsOf(centre[c]), bitsOf(sum[c])) << "ring " << j << " component " << c;
            widthMatters |= static_cast<float>(wideSum[c]) != sum[c];
        }
    }
    EXPECT_TRUE(widthMatters) << "a double sum would give the same centres";
}

TEST_F(Build, RowsCloseOnThemselvesAndTextureFollowsRingNumber) {
    buildTunnel(tunnel, 256 * 190);  // rings 190 onward; ring 200 at position 10
    ASSERT_GT(tunnel.visibleRings, 10);
    for (int j = 0; j < tunnel.visibleRings; ++j) {
        const ScreenVertex& first = tunnel.screenVertices[j][0];
        const ScreenVertex& last = tunnel.screenVertices[j][64];
        EXPECT_EQ(bitsOf(last.x), bitsOf(first.x));
        EXPECT_EQ(bitsOf(last.y), bitsOf(first.y));
        EXPECT_EQ(first.s, 0.0f);
        EXPECT_EQ(last.s, 1.0f);
        EXPECT_EQ(last.t, first.t);
    }
    EXPECT_EQ(tunnel.screenVertices[10][0].t, 3.125f);

    freshJourney();
    buildTunnel(tunnel, 256 * 60);  // ring 64 at position 4
    ASSERT_GT(tunnel.visibleRings, 4);
    EXPECT_EQ(tunnel.screenVertices[4][17].t, 1.0f);
}

TEST_F(Build, NeighbouringTravelValuesGiveNearlyTheSameGeometry) {
    for (int32_t n : {3, 40, 77, 300}) {
        freshJourney();
        buildTunnel(tunnel, 256 * (n + 1));
        std::vector<RingRecord> later;
        for (int j = 0; j < tunnel.visibleRings; ++j) later.push_back(ringAt(256 * (n + 1), j));
        const int laterVisible = tunnel.visibleRings;

        freshJourney();
        buildTunnel(tunnel, 256 * n + 255);
        const int earlierVisible = tunnel.visibleRings;
        EXPECT_NEAR(ringAt(256 * n + 255, 0).center.y, 1.0 / 32, 1e-6);
        const int common = std::min(earlierVisible - 1, laterVisible);
        ASSERT_GT(common, 10);
        for (int j = 0; j < std::min(common, 20); ++j) {
            const RingRecord& a = ringAt(256 * n + 255, j + 1);
            const RingRecord& b = later[j];
            EXPECT_NEAR(a.center.x, b.center.x, 0.05 * (j + 1)) << "n " << n << " j " << j;
            EXPECT_NEAR(a.center.y, b.center.y, 0.05 * (j + 1));
            EXPECT_NEAR(a.center.z, b.center.z, 0.05 * (j + 1));
            EXPECT_NEAR(dot(a.side, b.side), 1.0, 1e-3);
        }
    }
}

TEST_F(Build, RingsBehindTheEyeProjectWithDepthOneTenth) {
    // A sharp first turn swings ring 1 across the eye plane.
    shapeStraightTunnel(3);
    tunnel.rings[0].turn[0] = 1.5707964f;
    buildTunnel(tunnel, 0);
    ASSERT_GE(tunnel.visibleRings, 2);
    const RingRecord& ring = tunnel.rings[1];
    int clamped = 0;
    for (int k = 0; k < 64; ++k) {
        const OutlinePoint& o = tunnel.outlines[2][k];
        if ((double(ring.up.y) * o.y + double(ring.side.y) * o.x) + ring.center.y > 0)
            continue;
        ++clamped;
        const auto [x, y] = projected(ring, o, kRoundXAndZ);
        EXPECT_EQ(bitsOf(tunnel.screenVertices[1][k].x), bitsOf(x)) << "vertex " << k;
        EXPECT_EQ(bitsOf(tunnel.screenVertices[1][k].y), bitsOf(y)) << "vertex " << k;
    }
    EXPECT_GT(clamped, 10);
}

// A vertex at depth exactly 0 is projected with depth 0.1 as well. A half
// turn on ring 0 brings ring 1's centre into the eye's plane with side
// (1, 0, 0); flattening ring 1 onto its side axis puts every vertex there.
TEST_F(Build, VerticesInTheEyePlaneProjectWithDepthOneTenth) {
    shapeStraightTunnel(3);
    tunnel.rings[0].turn[0] = 3.14159274f;  // pi in single precision
    for (OutlinePoint& o : tunnel.outlines[2]) o.y = 0.0f;
    buildTunnel(tunnel, 0);
    ASSERT_GE(tunnel.visibleRings, 2);
    const RingRecord& ring = tunnel.rings[1];
    for (int k = 0; k <= 64; ++k) {
        const OutlinePoint& o = tunnel.outlines[2][k & 63];
        ASSERT_EQ((double(ring.up.y) * o.y + double(ring.side.y) * o.x) + ring.center.y, 0.0);
        const auto [x, y] = projected(ring, o, kRoundXAndZ);
        const ScreenVertex& v = tunnel.screenVertices[1][k];
        EXPECT_EQ(bitsOf(v.x), bitsOf(x)) << "vertex " << k;
        EXPECT_EQ(bitsOf(v.y), bitsOf(y)) << "vertex " << k;
    }
}

// Camera-space X and Z are rounded to float, the depth Y is not; on this
// bending stretch each other choice changes some vertex.
TEST_F(Build, ProjectionRoundsXAndZButKeepsDepthInDouble) {
    const int32_t travel = 256 * 40 + 77;
    buildTunnel(tunnel, travel);
    ASSERT_GE(tunnel.visibleRings, 10);
    EXPECT_EQ(projectionMismatches(travel, kRoundXAndZ), 0);
    EXPECT_GT(projectionMismatches(travel, {false, false, true}), 0);
    EXPECT_GT(projectionMismatches(travel, {true, true, true}), 0);
    EXPECT_GT(projectionMismatches(travel, {true, false, false}), 0);
}

TEST_F(Build, QuitJourneyShrinksToNothingAndShapesNoMore) {
    buildTunnel(tunnel, 0);
    buildTunnel(tunnel, 256 * 50);
    const int32_t last = tunnel.lastShapedRing;
    tunnel.quitRequested = 1;
    int32_t previous = tunnel.visibleRings;
    for (int32_t travel = 256 * 50; travel <= 256 * (last + 2); travel += 97) {
        buildTunnel(tunnel, travel);
        EXPECT_EQ(tunnel.lastShapedRing, last);
        EXPECT_LE(tunnel.visibleRings, last - (travel >> 8) + 1);
        EXPECT_LE(tunnel.visibleRings, previous + 0) << "never grows after quitting";
        previous = tunnel.visibleRings;
    }
    EXPECT_EQ(tunnel.visibleRings, 0);

    // Nothing is projected once no ring is left.
    tunnel.ringDepth[0] = 123.0f;
    tunnel.screenVertices[0][0].x = 456.0f;
    buildTunnel(tunnel, 256 * (last + 5));
    EXPECT_EQ(tunnel.visibleRings, 0);
    EXPECT_EQ(tunnel.ringDepth[0], 123.0f);
    EXPECT_EQ(tunnel.screenVertices[0][0].x, 456.0f);

    // Ten rings ahead of the eye: at most eleven are built.
    freshJourney();
    shapeStraightTunnel(10);
    tunnel.quitRequested = 1;
    buildTunnel(tunnel, 0);
    EXPECT_EQ(tunnel.visibleRings, 11);
    EXPECT_EQ(tunnel.lastShapedRing, 10);
}

TEST_F(Build, PulseToggleOnlyAffectsRingsShapedAfterwards) {
    buildTunnel(tunnel, 0);
    const int32_t shapedBefore = tunnel.lastShapedRing;
    std::vector<float> radii;
    for (int n = 0; n <= shapedBefore; ++n) radii.push_back(tunnel.rings[n].radius);
    tunnel.pulse = 1;
    buildTunnel(tunnel, 256 * 3);
    for (int n = 3; n <= shapedBefore; ++n) {
        EXPECT_EQ(tunnel.rings[n].radius, radii[n]) << "ring " << n;
    }
    for (int n = shapedBefore + 1; n <= tunnel.lastShapedRing; ++n) {
        EXPECT_EQ(tunnel.rings[n & 127].radius, 25.0f * ringScale(n, 1)) << "ring " << n;
    }
}

// Random journeys with random pulse toggles: the walk's invariants hold on
// every frame.
TEST_F(Build, RandomJourneysKeepTheirInvariants) {
    std::mt19937 random(2024);
    for (int journey = 0; journey < 12; ++journey) {
        freshJourney();
        std::vector<float> radiusOfRing(40000, -1.0f);
        int32_t travel = std::uniform_int_distribution<int32_t>(0, 5000)(random);
        for (int frame = 0; frame < 300; ++frame) {
            if (random() % 17 == 0)
                tunnel.pulse ^= 1;
            const int32_t previousLast = tunnel.lastShapedRing;
            buildTunnel(tunnel, travel);
            const int32_t base = travel >> 8;
            const int32_t visible = tunnel.visibleRings;
            ASSERT_GE(visible, 1);
            ASSERT_LE(visible, 128);
            EXPECT_EQ(tunnel.lastShapedRing, std::max(previousLast, base + visible - 1));

            ScreenRect clip;
            rectSetUnbounded(clip);
            for (int j = 0; j < visible; ++j) {
                EXPECT_FALSE(rectIsEmpty(clip)) << "the walk went on past an empty clip";
                const int32_t n = base + j;
                const RingRecord& ring = tunnel.rings[n & 127];
                EXPECT_NEAR(length(ring.side), 1.0, 1e-5);
                EXPECT_NEAR(length(ring.up), 1.0, 1e-5);
                EXPECT_NEAR(dot(ring.side, ring.up), 0.0, 1e-5);
                EXPECT_EQ(ring.side.w, 1.0f);
                // Shaped once: the radius chosen at first reach never changes.
                if (radiusOfRing[n] < 0)
                    radiusOfRing[n] = ring.radius;
                EXPECT_EQ(ring.radius, radiusOfRing[n]) << "ring " << n << " reshaped";
                ScreenRect bounds;
                ringScreenBounds(tunnel, n & 127, bounds);
                rectIntersect(clip, bounds);
            }
            if (visible < 128) {
                EXPECT_TRUE(rectIsEmpty(clip)) << "the walk stopped early";
            }
            ASSERT_TRUE(frameIsFinite());
            travel += std::uniform_int_distribution<int32_t>(0, 2000)(random);
        }
    }
}
