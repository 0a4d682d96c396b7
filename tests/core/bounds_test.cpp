#include "bounds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "test_support.h"
#include "tunnel_state.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();

void expectRect(const ScreenRect& r, float minX, float minY, float maxX, float maxY) {
    EXPECT_EQ(r.minX, minX);
    EXPECT_EQ(r.minY, minY);
    EXPECT_EQ(r.maxX, maxX);
    EXPECT_EQ(r.maxY, maxY);
}

struct Points {
    float x1, y1, x2, y2;
};

Points intersect(double a, double b, double c) {
    Points p;
    circleLineIntersect(a, b, c, p.x1, p.y1, p.x2, p.y2);
    return p;
}

void expectPoints(const Points& p, float x1, float y1, float x2, float y2) {
    expectRect({p.x1, p.y1, p.x2, p.y2}, x1, y1, x2, y2);
}

void placeRing(int slot, Vec4 center, Vec4 side, Vec4 up, float radius) {
    RingRecord& ring = tunnel.rings[slot];
    ring.center = center;
    ring.side = side;
    ring.up = up;
    ring.radius = radius;
}

// The ring's rectangle by the closed form, with S = R side and U = R up each
// either rounded to float or kept in double before the lines are formed.
ScreenRect boundsByFormula(const RingRecord& ring, bool roundS, bool roundU) {
    const double R = ring.radius, f = 2.0;
    const double S[3] = {storedAs(R * ring.side.x, roundS), storedAs(R * ring.side.y, roundS),
                         storedAs(R * ring.side.z, roundS)};
    const double U[3] = {storedAs(R * ring.up.x, roundU), storedAs(R * ring.up.y, roundU),
                         storedAs(R * ring.up.z, roundU)};
    const double C[3] = {ring.center.x, ring.center.y, ring.center.z};
    // Extent along x (q = 0) or z (q = 2); sign -1 turns z into screen y.
    auto extent = [&](int q, double sign, float& lo, float& hi) {
        float X[2], Y[2];
        circleLineIntersect(S[q] * C[1] - S[1] * C[q], U[1] * C[q] - U[q] * C[1],
                            U[q] * S[1] - U[1] * S[q], X[0], Y[0], X[1], Y[1]);
        double v[2];
        for (int k = 0; k < 2; ++k) {
            v[k] = sign * (((U[q] * X[k] + S[q] * Y[k]) + C[q]) * f /
                           ((U[1] * X[k] + S[1] * Y[k]) + C[1]));
        }
        lo = static_cast<float>(v[0] >= v[1] ? v[1] : v[0]);
        hi = static_cast<float>(v[0] >= v[1] ? v[0] : v[1]);
    };
    ScreenRect r;
    extent(0, 1.0, r.minX, r.maxX);
    extent(2, -1.0, r.minY, r.maxY);
    return r;
}

bool sameBits(const ScreenRect& a, const ScreenRect& b) {
    return bitsOf(a.minX) == bitsOf(b.minX) && bitsOf(a.minY) == bitsOf(b.minY) &&
           bitsOf(a.maxX) == bitsOf(b.maxX) && bitsOf(a.maxY) == bitsOf(b.maxY);
}

}  // namespace

TEST(Rect, UnboundedIsNotEmptyAndSpans1e10) {
    ScreenRect r = {1, 2, 3, 4};
    rectSetUnbounded(r);
    expectRect(r, -1e10f, -1e10f, 1e10f, 1e10f);
    EXPECT_EQ(static_cast<double>(r.maxX), 10000000000.0);
    EXPECT_FALSE(rectIsEmpty(r));
}

TEST(Rect, EmptinessIsStrict) {
    EXPECT_FALSE(rectIsEmpty({1, 1, 1, 1}));
    EXPECT_TRUE(rectIsEmpty({1.0f, 0, 0.999f, 5}));
    EXPECT_TRUE(rectIsEmpty({0, 1.0f, 5, 0.999f}));
    EXPECT_FALSE(rectIsEmpty({kNaN, kNaN, kNaN, kNaN}));
}

TEST(Rect, IntersectionOfOrderedRectangles) {
    ScreenRect r = {-1, -1, 1, 1};
    rectIntersect(r, {0, 0, 2, 2});
    expectRect(r, 0, 0, 1, 1);

    r = {-1, -1, 1, 1};
    rectIntersect(r, {2, 2, 3, 3});
    expectRect(r, 2, 2, 1, 1);
    EXPECT_TRUE(rectIsEmpty(r));

    // Touching along an edge leaves a degenerate, non-empty rectangle.
    r = {-1, -1, 1, 1};
    rectIntersect(r, {1, -5, 4, 5});
    expectRect(r, 1, -1, 1, 1);
    EXPECT_FALSE(rectIsEmpty(r));
}

TEST(Rect, NaNFollowsTheComparisonForms) {
    ScreenRect r = {-1, -1, 1, 1};
    rectIntersect(r, {kNaN, kNaN, kNaN, kNaN});
    EXPECT_TRUE(std::isnan(r.minX));
    EXPECT_EQ(r.minY, -1.0f);
    EXPECT_TRUE(std::isnan(r.maxX));
    EXPECT_TRUE(std::isnan(r.maxY));
    EXPECT_FALSE(rectIsEmpty(r));

    rectIntersect(r, {0, 0, 2, 2});
    expectRect(r, 0, 0, 2, 2);
}

TEST(CircleLine, AxisAlignedLinesGiveExactPoints) {
    expectPoints(intersect(1, 0, 0), 0.0f, 1.0f, 0.0f, -1.0f);
    expectPoints(intersect(1, 0, 1), 1.0f, 0.0f, 1.0f, 0.0f);  // tangent: both points the same
    const Points p = intersect(0, 2, 1);
    EXPECT_FLOAT_EQ(p.x1, -0.8660254f);
    EXPECT_EQ(p.y1, 0.5f);
    EXPECT_FLOAT_EQ(p.x2, 0.8660254f);
    EXPECT_EQ(p.y2, 0.5f);
}

TEST(CircleLine, MissedOrDegenerateLinesGiveNaN) {
    for (const Points& p : {intersect(1, 0, 2), intersect(0, 0, 1)}) {
        EXPECT_TRUE(std::isnan(p.x1) && std::isnan(p.y1) && std::isnan(p.x2) && std::isnan(p.y2));
    }
}

TEST(CircleLine, PointsLieOnCircleAndLine) {
    std::mt19937 random(5);
    std::uniform_real_distribution<double> coefficient(-100, 100);
    for (int trial = 0; trial < 2000; ++trial) {
        const double a = coefficient(random), b = coefficient(random);
        const double c = std::hypot(a, b) * std::uniform_real_distribution<double>(-1, 1)(random);
        const Points p = intersect(a, b, c);
        for (auto [x, y] : {std::pair<double, double>{p.x1, p.y1}, {p.x2, p.y2}}) {
            EXPECT_NEAR(x * x + y * y, 1.0, 1e-6);
            EXPECT_NEAR((a * x + b * y - c) / std::hypot(a, b), 0.0, 1e-6);
        }
    }
}

class RingBounds : public ::testing::Test {
protected:
    void SetUp() override { freshJourney(); }
};

TEST_F(RingBounds, SquarelyFacingRing) {
    placeRing(3, {0, 4, 0, 1}, {1, 0, 0, 1}, {0, 0, 1, 1}, 25);
    ScreenRect r;
    ringScreenBounds(tunnel, 3, r);
    expectRect(r, -12.5f, -12.5f, 12.5f, 12.5f);
}

TEST_F(RingBounds, RingInTheEyePlaneIsAllNaN) {
    placeRing(3, {0, 0, 0, 1}, {1, 0, 0, 1}, {0, 0, 1, 1}, 25);
    ScreenRect r;
    ringScreenBounds(tunnel, 3, r);
    EXPECT_TRUE(std::isnan(r.minX) && std::isnan(r.minY) && std::isnan(r.maxX) &&
                std::isnan(r.maxY));
}

// S = R side and U = R up are each rounded to float before the line
// coefficients are formed; for this tilted ring dropping either rounding
// changes the rectangle.
TEST_F(RingBounds, AxesScaledByRadiusAreRoundedToFloat) {
    // side (cos -1.4, sin -1.4, 0) and up tilted by -0.2 from +z about it, to
    // seven digits.
    placeRing(5, {4, 53, -9, 1}, {0.1699672f, -0.9854497f, 0, 1},
              {-0.1957786f, -0.03376726f, 0.9800666f, 1}, 25);
    const ScreenRect expected = boundsByFormula(tunnel.rings[5], true, true);
    ScreenRect r;
    ringScreenBounds(tunnel, 5, r);
    EXPECT_TRUE(sameBits(r, expected));
    EXPECT_FALSE(sameBits(boundsByFormula(tunnel.rings[5], false, true), expected));
    EXPECT_FALSE(sameBits(boundsByFormula(tunnel.rings[5], true, false), expected));
}

// For any ring wholly in front of the eye the rectangle is the bounding box
// of the projected circle.
TEST_F(RingBounds, TiltedRingsAreBoundedTightly) {
    std::mt19937 random(9);
    std::uniform_real_distribution<float> unit(-1, 1);
    int checked = 0;
    for (int trial = 0; trial < 3000 && checked < 500; ++trial) {
        // Random orthonormal frame from a random rotation of the axes.
        double sx = unit(random), sy = unit(random), sz = unit(random);
        double norm = std::sqrt(sx * sx + sy * sy + sz * sz);
        if (norm < 0.1)
            continue;
        sx /= norm, sy /= norm, sz /= norm;
        double ux = unit(random), uy = unit(random), uz = unit(random);
        const double along = ux * sx + uy * sy + uz * sz;
        ux -= along * sx, uy -= along * sy, uz -= along * sz;
        norm = std::sqrt(ux * ux + uy * uy + uz * uz);
        if (norm < 0.1)
            continue;
        ux /= norm, uy /= norm, uz /= norm;
        const float radius = 25.0f * (0.75f + 0.5f * (unit(random) + 1) / 2);
        const Vec4 center = {30 * unit(random), 40 + 60 * (unit(random) + 1), 30 * unit(random), 1};
        const Vec4 side = {float(sx), float(sy), float(sz), 1};
        const Vec4 up = {float(ux), float(uy), float(uz), 1};
        // Skip rings that reach near the eye plane.
        if (center.y - radius * std::sqrt(sy * sy + uy * uy) < 5)
            continue;
        placeRing(7, center, side, up, radius);

        double minX = INFINITY, maxX = -INFINITY, minY = INFINITY, maxY = -INFINITY;
        for (int i = 0; i < 20000; ++i) {
            const double t = i * (2 * 3.14159265358979323846 / 20000);
            const double px = center.x + radius * (side.x * std::sin(t) + up.x * std::cos(t));
            const double py = center.y + radius * (side.y * std::sin(t) + up.y * std::cos(t));
            const double pz = center.z + radius * (side.z * std::sin(t) + up.z * std::cos(t));
            minX = std::min(minX, 2 * px / py), maxX = std::max(maxX, 2 * px / py);
            minY = std::min(minY, -2 * pz / py), maxY = std::max(maxY, -2 * pz / py);
        }
        ScreenRect r;
        ringScreenBounds(tunnel, 7, r);
        const double tolerance = 1e-4 * (1 + std::max(std::fabs(minX), std::fabs(maxX)));
        EXPECT_NEAR(r.minX, minX, tolerance);
        EXPECT_NEAR(r.maxX, maxX, tolerance);
        EXPECT_NEAR(r.minY, minY, tolerance);
        EXPECT_NEAR(r.maxY, maxY, tolerance);
        EXPECT_LE(r.minX, r.maxX);
        EXPECT_LE(r.minY, r.maxY);
        ++checked;
    }
    EXPECT_EQ(checked, 500);
}
