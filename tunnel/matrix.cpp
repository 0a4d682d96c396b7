#include "matrix.h"

#include "trig.h"

Matrix3& matIdentity(Matrix3& matrix) {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            matrix.m[r][c] = r == c ? 1.0f : 0.0f;
        }
        matrix.m[r][3] = 1.0f;
    }
    return matrix;
}

void matRotation(Matrix3& matrix, float a, float b, float c) {
    const double ca = stableCos(a);
    const double sa = stableSin(a);
    const double cb = stableCos(b);
    const double sb = stableSin(b);
    const double cc = stableCos(c);
    // sin c alone is rounded to single precision before use.
    const double sc = static_cast<float>(stableSin(c));

    matrix.m[0][0] = static_cast<float>(cc * cb);
    matrix.m[0][1] = static_cast<float>((sc * cb) * ca + sb * sa);
    matrix.m[0][2] = static_cast<float>((sc * cb) * sa - sb * ca);
    matrix.m[1][0] = static_cast<float>(-sc);
    matrix.m[1][1] = static_cast<float>(cc * ca);
    matrix.m[1][2] = static_cast<float>(cc * sa);
    matrix.m[2][0] = static_cast<float>(cc * sb);
    matrix.m[2][1] = static_cast<float>((sb * sc) * ca - cb * sa);
    matrix.m[2][2] = static_cast<float>((sb * sc) * sa + cb * ca);
}

void matTransform(const Matrix3& matrix, const Vec4& in, Vec4& out) {
    float* components[3] = {&out.x, &out.y, &out.z};
    for (int r = 0; r < 3; ++r) {
        const float* row = matrix.m[r];
        *components[r] = static_cast<float>(
            (static_cast<double>(row[1]) * in.y + static_cast<double>(row[2]) * in.z) +
            static_cast<double>(in.x) * row[0]);
    }
}
