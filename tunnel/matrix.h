// Vectors and the rotation that turns the tunnel's orientation frame.
#pragma once

// x, y, z in camera space; w is 1 wherever a vector is created and is only
// ever copied, never read.
struct Vec4 {
    float x, y, z, w;
};

// Three row-major rows; the rotation is m[r][c] for r, c in 0..2. The fourth
// entry of each row is 1 after matIdentity and is never read.
struct Matrix3 {
    float m[3][4];
};

Matrix3& matIdentity(Matrix3& matrix);

// Ry(-b) * Rz(-c) * Rx(-a): rotates by -a about x, then -c about z, then -b
// about y.
void matRotation(Matrix3& matrix, float a, float b, float c);

// out.xyz = matrix * in.xyz; out.w is left alone. `in` and `out` must be
// different vectors, since out is written while in is still being read.
void matTransform(const Matrix3& matrix, const Vec4& in, Vec4& out);
