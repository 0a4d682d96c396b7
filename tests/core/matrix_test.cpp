#include "matrix.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>

#include "test_support.h"
#include "trig.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

Matrix3 rotation(float a, float b, float c) {
    Matrix3 m;
    matIdentity(m);
    matRotation(m, a, b, c);
    return m;
}

// The nine rotation elements from the six sines and cosines of a, b and c,
// with bit k of roundMask rounding the k-th of (ca, sa, cb, sb, cc, sc) to
// float before use.
std::array<float, 9> rotationElements(float a, float b, float c, unsigned roundMask) {
    double v[6] = {stableCos(a), stableSin(a), stableCos(b),
                   stableSin(b), stableCos(c), stableSin(c)};
    for (int k = 0; k < 6; ++k) v[k] = storedAs(v[k], roundMask >> k & 1);
    const double ca = v[0], sa = v[1], cb = v[2], sb = v[3], cc = v[4], sc = v[5];
    return {static_cast<float>(cc * cb),
            static_cast<float>((sc * cb) * ca + sb * sa),
            static_cast<float>((sc * cb) * sa - sb * ca),
            static_cast<float>(-sc),
            static_cast<float>(cc * ca),
            static_cast<float>(cc * sa),
            static_cast<float>(cc * sb),
            static_cast<float>((sb * sc) * ca - cb * sa),
            static_cast<float>((sb * sc) * sa + cb * ca)};
}

constexpr unsigned kRoundSinC = 1u << 5;

void expectRows(const Matrix3& m, const float (&expected)[3][3], float tolerance) {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(m.m[r][c], expected[r][c], tolerance) << "m[" << r << "][" << c << "]";
        }
    }
}

}  // namespace

TEST(Matrix, IdentityRowsCarryOneInFourthEntry) {
    Matrix3 m;
    std::memset(&m, 0x7f, sizeof m);
    Matrix3& same = matIdentity(m);
    EXPECT_EQ(&same, &m);
    const float expected[3][4] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(bitsOf(m.m[r][c]), bitsOf(expected[r][c]));
        }
    }
}

TEST(Matrix, ZeroAnglesGiveIdentityWithNegativeZero) {
    const Matrix3 m = rotation(0, 0, 0);
    expectRows(m, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, 0.0f);
    EXPECT_TRUE(std::signbit(m.m[1][0]));
    EXPECT_EQ(bitsOf(m.m[1][0]), 0x80000000u);
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(m.m[r][3], 1.0f) << "rotation must keep the fourth entry";
    }
}

TEST(Matrix, QuarterTurnAboutX) {
    const Matrix3 m = rotation(static_cast<float>(kPi / 2), 0, 0);
    expectRows(m, {{1, 0, 0}, {0, 0, 1}, {0, -1, 0}}, 1e-7f);

    Vec4 out = {9, 9, 9, 42};
    matTransform(m, {0, 1, 0, 1}, out);
    EXPECT_NEAR(out.x, 0, 1e-7);
    EXPECT_NEAR(out.y, 0, 1e-7);
    EXPECT_NEAR(out.z, -1, 1e-7);
    EXPECT_EQ(out.w, 42.0f) << "w is never written";

    matTransform(m, {0, 0, 1, 1}, out);
    EXPECT_NEAR(out.x, 0, 1e-7);
    EXPECT_NEAR(out.y, 1, 1e-7);
    EXPECT_NEAR(out.z, 0, 1e-7);
}

TEST(Matrix, SingleAxisRotationsHaveCosineAndSineRows) {
    const float c = 0.3f;
    const double sc = static_cast<float>(std::sin(static_cast<double>(c)));
    const double cc = std::cos(static_cast<double>(c));
    const float cc_f = static_cast<float>(cc);
    const float sc_f = static_cast<float>(sc);
    expectRows(rotation(0, 0, c), {{cc_f, sc_f, 0}, {-sc_f, cc_f, 0}, {0, 0, 1}}, 1e-7f);

    const float b = -0.7f;
    const float cb = static_cast<float>(std::cos(static_cast<double>(b)));
    const float sb = static_cast<float>(std::sin(static_cast<double>(b)));
    expectRows(rotation(0, b, 0), {{cb, 0, -sb}, {0, 1, 0}, {sb, 0, cb}}, 1e-7f);
}

// sin c alone is rounded to float before use; these angles change at least
// one element if it is not, or if any other sine or cosine is rounded too.
TEST(Matrix, OnlySinCIsRoundedBeforeUse) {
    const float a = 0.1f, b = 0.2f, c = 0.5f;
    const Matrix3 m = rotation(a, b, c);
    const std::array<float, 9> expected = rotationElements(a, b, c, kRoundSinC);
    for (int r = 0; r < 3; ++r) {
        for (int col = 0; col < 3; ++col) {
            EXPECT_EQ(bitsOf(m.m[r][col]), bitsOf(expected[3 * r + col]))
                << "m[" << r << "][" << col << "]";
        }
    }
    // The alternatives: sin c kept in double, or one more value rounded.
    for (unsigned other : {0u, kRoundSinC | 1u, kRoundSinC | 2u, kRoundSinC | 4u, kRoundSinC | 8u,
                           kRoundSinC | 16u}) {
        EXPECT_NE(rotationElements(a, b, c, other), expected) << "rounding mask " << other;
    }
}

TEST(Matrix, SmallAnglesAreNearIdentityPlusAntisymmetricPart) {
    const float a = 1e-3f, b = 2e-3f, c = -1.5e-3f;
    const Matrix3 m = rotation(a, b, c);
    EXPECT_NEAR(m.m[0][1], c, 1e-5);
    EXPECT_NEAR(m.m[0][2], -b, 1e-5);
    EXPECT_NEAR(m.m[1][2], a, 1e-5);
    EXPECT_NEAR(m.m[1][0], -c, 1e-5);
    EXPECT_NEAR(m.m[2][0], b, 1e-5);
    EXPECT_NEAR(m.m[2][1], -a, 1e-5);
}

// The rotation is Ry(-b) Rz(-c) Rx(-a); compare with the product of the
// elementary matrices built independently.
TEST(Matrix, EqualsProductOfElementaryRotations) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> angle(-3.0f, 3.0f);
    for (int trial = 0; trial < 200; ++trial) {
        const double a = angle(random), b = angle(random), c = angle(random);
        const double rx[3][3] = {{1, 0, 0}, {0, cos(a), sin(a)}, {0, -sin(a), cos(a)}};
        const double rz[3][3] = {{cos(c), sin(c), 0}, {-sin(c), cos(c), 0}, {0, 0, 1}};
        const double ry[3][3] = {{cos(b), 0, -sin(b)}, {0, 1, 0}, {sin(b), 0, cos(b)}};
        double zx[3][3] = {}, product[3][3] = {};
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k)
                for (int c2 = 0; c2 < 3; ++c2) zx[r][c2] += rz[r][k] * rx[k][c2];
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k)
                for (int c2 = 0; c2 < 3; ++c2) product[r][c2] += ry[r][k] * zx[k][c2];
        const Matrix3 m =
            rotation(static_cast<float>(a), static_cast<float>(b), static_cast<float>(c));
        for (int r = 0; r < 3; ++r) {
            for (int c2 = 0; c2 < 3; ++c2) {
                EXPECT_NEAR(m.m[r][c2], product[r][c2], 2e-7) << "trial " << trial;
            }
        }
    }
}

TEST(Matrix, RowsAreOrthonormalAndLengthsKept) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> angle(-3.2f, 3.2f);
    for (int trial = 0; trial < 1000; ++trial) {
        const Matrix3 m = rotation(angle(random), angle(random), angle(random));
        for (int r = 0; r < 3; ++r) {
            for (int s = 0; s < 3; ++s) {
                double dot = 0;
                for (int c = 0; c < 3; ++c) dot += double(m.m[r][c]) * m.m[s][c];
                EXPECT_NEAR(dot, r == s ? 1.0 : 0.0, 4e-7);
            }
        }
        Vec4 forward = {0, 8, 0, 1}, turned = {0, 0, 0, 1};
        matTransform(m, forward, turned);
        EXPECT_NEAR(std::sqrt(double(turned.x) * turned.x + double(turned.y) * turned.y +
                              double(turned.z) * turned.z),
                    8.0, 8 * 5e-7);
    }
}

TEST(Matrix, TransformAddsTheXTermLast) {
    // (m01*y + m02*z) + x*m00 rounds differently from the left-to-right sum
    // for these values.
    Matrix3 m;
    matIdentity(m);
    m.m[0][0] = 1.0f;
    m.m[0][1] = 1.0f;
    m.m[0][2] = 1.0f;
    const Vec4 in = {1.0f, 1e17f, -1e17f, 1.0f};
    Vec4 out = {0, 0, 0, 0};
    matTransform(m, in, out);
    EXPECT_EQ(out.x, 1.0f);
}

TEST(Trig, StaysWithinOneUlpOfTheLibrary) {
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> argument(-30000.0, 30000.0);
    for (int i = 0; i < 200000; ++i) {
        const double x = i < 100000 ? argument(random) : i * 0.0785398185253143;
        EXPECT_NEAR(stableSin(x), std::sin(x), std::ldexp(1.0, -52)) << x;
        EXPECT_NEAR(stableCos(x), std::cos(x), std::ldexp(1.0, -52)) << x;
    }
    EXPECT_EQ(stableSin(0.0), 0.0);
    EXPECT_EQ(stableCos(0.0), 1.0);
    EXPECT_TRUE(std::isnan(stableSin(INFINITY)));
    EXPECT_TRUE(std::isnan(stableCos(NAN)));
}
