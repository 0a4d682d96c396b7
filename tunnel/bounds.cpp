#include "bounds.h"

#include <cmath>

#include "tunnel_state.h"

namespace {
constexpr float kUnbounded = 1e10f;
}

void rectSetUnbounded(ScreenRect& r) {
    r.minX = -kUnbounded;
    r.minY = -kUnbounded;
    r.maxX = kUnbounded;
    r.maxY = kUnbounded;
}

bool rectIsEmpty(const ScreenRect& r) {
    return r.minX > r.maxX || r.minY > r.maxY;
}

// Each line is one comparison in a fixed direction: with a NaN on either side
// minX, maxX and maxY take o's value while minY keeps r's, which lets the
// next ordered rectangle repair the clip after a ring behind the eye.
void rectIntersect(ScreenRect& r, const ScreenRect& o) {
    r.minX = r.minX > o.minX ? r.minX : o.minX;
    r.maxX = o.maxX > r.maxX ? r.maxX : o.maxX;
    r.minY = o.minY >= r.minY ? o.minY : r.minY;
    r.maxY = o.maxY > r.maxY ? r.maxY : o.maxY;
}

void circleLineIntersect(double a, double b, double c, float& x1, float& y1, float& x2, float& y2) {
    const double n = 1.0 / std::sqrt(a * a + b * b);
    const double an = a * n;
    const double bn = b * n;
    const double cn = c * n;
    const double halfChord = std::sqrt(1.0 - cn * cn);
    x1 = static_cast<float>(an * cn - bn * halfChord);
    y1 = static_cast<float>(bn * cn + an * halfChord);
    x2 = static_cast<float>(an * cn + bn * halfChord);
    y2 = static_cast<float>(bn * cn - an * halfChord);
}

namespace {

struct Axis3 {
    double x, y, z;
};

// focal * P / depth at the ring point with (cos t, sin t) = (X, Y); u, s and
// centre are the x or the z components of U, S and C.
double projectedAt(double X, double Y, double u, double s, double centre, const Axis3& U,
                   const Axis3& S, double cy, double focal) {
    return ((u * X + s * Y) + centre) * focal / ((U.y * X + S.y * Y) + cy);
}

// Orders two extremes into (min, max); a NaN pair keeps its first value as min.
void storeExtent(double first, double second, float& lo, float& hi) {
    if (first >= second) {
        lo = static_cast<float>(second);
        hi = static_cast<float>(first);
    } else {
        lo = static_cast<float>(first);
        hi = static_cast<float>(second);
    }
}

}  // namespace

void ringScreenBounds(const TunnelState& tunnel, int32_t slot, ScreenRect& out) {
    const RingRecord& ring = tunnel.rings[slot];
    const double radius = ring.radius;
    // The ring is C + S sin t + U cos t with S and U rounded to single precision.
    const Axis3 S = {static_cast<float>(radius * ring.side.x),
                     static_cast<float>(radius * ring.side.y),
                     static_cast<float>(radius * ring.side.z)};
    const Axis3 U = {static_cast<float>(radius * ring.up.x), static_cast<float>(radius * ring.up.y),
                     static_cast<float>(radius * ring.up.z)};
    const Axis3 C = {ring.center.x, ring.center.y, ring.center.z};
    const double f = tunnel.focal;

    // Stationary points of the projected x: a cos t + b sin t = c.
    float X1, Y1, X2, Y2;
    circleLineIntersect(S.x * C.y - S.y * C.x, U.y * C.x - U.x * C.y, U.x * S.y - U.y * S.x, X1, Y1,
                        X2, Y2);
    storeExtent(projectedAt(X1, Y1, U.x, S.x, C.x, U, S, C.y, f),
                projectedAt(X2, Y2, U.x, S.x, C.x, U, S, C.y, f), out.minX, out.maxX);

    // The same for z, whose screen axis points the other way.
    circleLineIntersect(S.z * C.y - S.y * C.z, U.y * C.z - U.z * C.y, U.z * S.y - U.y * S.z, X1, Y1,
                        X2, Y2);
    storeExtent(-projectedAt(X1, Y1, U.z, S.z, C.z, U, S, C.y, f),
                -projectedAt(X2, Y2, U.z, S.z, C.z, U, S, C.y, f), out.minY, out.maxY);
}
