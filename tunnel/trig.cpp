// Sine and cosine by argument reduction and minimax polynomials (the classic
// fdlibm kernels). Only IEEE double additions, multiplications and a rint by
// the 1.5 * 2^52 trick are used, so SSE2 builds on every platform agree to the
// last bit; C library implementations do not.
#include "trig.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr double kInvPio2 = 6.36619772367581382433e-01;
constexpr double kPio2Part1 = 1.57079632673412561417e+00;   // first 33 bits of pi/2
constexpr double kPio2Part1T = 6.07710050650619224932e-11;  // pi/2 - kPio2Part1
constexpr double kPio2Part2 = 6.07710050630396597660e-11;   // next 33 bits
constexpr double kPio2Part2T = 2.02226624879595063154e-21;
constexpr double kPio2Part3 = 2.02226624871116645580e-21;  // next 33 bits
constexpr double kPio2Part3T = 8.47842766036889956997e-32;
constexpr double kToInt = 1.5 / 2.220446049250313080847e-16;  // rounds to an integer

constexpr double kS1 = -1.66666666666666324348e-01;
constexpr double kS2 = 8.33333333332248946124e-03;
constexpr double kS3 = -1.98412698298579493134e-04;
constexpr double kS4 = 2.75573137070700676789e-06;
constexpr double kS5 = -2.50507602534068634195e-08;
constexpr double kS6 = 1.58969099521155010221e-10;

constexpr double kC1 = 4.16666666666666019037e-02;
constexpr double kC2 = -1.38888888888741095749e-03;
constexpr double kC3 = 2.48015872894767294178e-05;
constexpr double kC4 = -2.75573143513906633035e-07;
constexpr double kC5 = 2.08757232129817482790e-09;
constexpr double kC6 = -1.13596475577881948265e-11;

uint32_t highWord(double x) {
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return static_cast<uint32_t>(bits >> 32);
}

int exponentBits(double x) {
    return static_cast<int>((highWord(x) >> 20) & 0x7ff);
}

// sin(x + y) for |x + y| <= pi/4, y the tail of a reduced argument.
double kernelSin(double x, double y, bool hasTail) {
    const double z = x * x;
    const double w = z * z;
    const double r = kS2 + z * (kS3 + z * kS4) + z * w * (kS5 + z * kS6);
    const double v = z * x;
    if (!hasTail) {
        return x + v * (kS1 + z * r);
    }
    return x - ((z * (0.5 * y - v * r) - y) - v * kS1);
}

// cos(x + y) for |x + y| <= pi/4.
double kernelCos(double x, double y) {
    const double z = x * x;
    double w = z * z;
    const double r = z * (kC1 + z * (kC2 + z * kC3)) + w * w * (kC4 + z * (kC5 + z * kC6));
    const double hz = 0.5 * z;
    w = 1.0 - hz;
    return w + (((1.0 - w) - hz) + (z * r - x * y));
}

// x = quadrant * pi/2 + (head + tail), |head + tail| <= pi/4. Cody-Waite
// reduction in up to three rounds; exact for |x| < 2^20 * pi/2, which covers
// every argument of the wrapped journey. Larger ones (the probe can ask for
// rings up to 2^23) lose a little accuracy but give the same bits everywhere.
int reduceQuarterTurns(double x, double& head, double& tail) {
    const double fn = (x * kInvPio2 + kToInt) - kToInt;
    const int quadrant = static_cast<int>(static_cast<int64_t>(fn) & 3);
    const int exponent = exponentBits(x);
    double r = x - fn * kPio2Part1;
    double w = fn * kPio2Part1T;
    head = r - w;
    if (exponent - exponentBits(head) > 16) {
        double t = r;
        w = fn * kPio2Part2;
        r = t - w;
        w = fn * kPio2Part2T - ((t - r) - w);
        head = r - w;
        if (exponent - exponentBits(head) > 49) {
            t = r;
            w = fn * kPio2Part3;
            r = t - w;
            w = fn * kPio2Part3T - ((t - r) - w);
            head = r - w;
        }
    }
    tail = (r - head) - w;
    return quadrant;
}

constexpr uint32_t kQuarterPiHigh = 0x3fe921fb;  // |x| <= pi/4 needs no reduction
constexpr uint32_t kTinyHigh = 0x3e500000;       // |x| < 2^-26: sin x == x
constexpr uint32_t kInfNanHigh = 0x7ff00000;

// sin(quarterTurns * pi/2 + head + tail) for |head + tail| <= pi/4.
double sinOfReduced(int quarterTurns, double head, double tail) {
    switch (quarterTurns & 3) {
        case 0:
            return kernelSin(head, tail, true);
        case 1:
            return kernelCos(head, tail);
        case 2:
            return -kernelSin(head, tail, true);
        default:
            return -kernelCos(head, tail);
    }
}

}  // namespace

double stableSin(double x) {
    const uint32_t ix = highWord(x) & 0x7fffffff;
    if (ix <= kQuarterPiHigh) {
        return ix < kTinyHigh ? x : kernelSin(x, 0.0, false);
    }
    if (ix >= kInfNanHigh) {
        return x - x;
    }
    double head;
    double tail;
    const int quarterTurns = reduceQuarterTurns(x, head, tail);
    return sinOfReduced(quarterTurns, head, tail);
}

// cos x = sin(x + pi/2): one quarter turn further.
double stableCos(double x) {
    const uint32_t ix = highWord(x) & 0x7fffffff;
    if (ix <= kQuarterPiHigh) {
        return ix < kTinyHigh ? 1.0 : kernelCos(x, 0.0);
    }
    if (ix >= kInfNanHigh) {
        return x - x;
    }
    double head;
    double tail;
    const int quarterTurns = reduceQuarterTurns(x, head, tail);
    return sinOfReduced(quarterTurns + 1, head, tail);
}
