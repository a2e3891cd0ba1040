// Arithmetic helpers of the tests: random float matrices, tolerant comparisons scaled by the
// magnitude of what is compared, and vectors and 4x4 matrices in double, independent of the
// framework's float code, for the reference side of a comparison.
#ifndef KT_TESTS_SUPPORT_KTTESTMATH_H
#define KT_TESTS_SUPPORT_KTTESTMATH_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "math/ktMatrix4f.h"
#include "math/ktVec3f.h"

inline ktMatrix4f randomMatrix(std::mt19937& rng, float range = 10.0f) {
    std::uniform_real_distribution<float> d(-range, range);
    ktMatrix4f a;
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++) a.m[i][j] = d(rng);
    return a;
}

inline float maxAbs(const ktMatrix4f& a) {
    float r = 0.0f;
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++) r = std::max(r, std::fabs(a.m[i][j]));
    return r;
}

// Entries agree within tol times the larger matrix's largest entry (at least 1).
inline void expectMatrixNear(const ktMatrix4f& actual, const ktMatrix4f& expected, float tol) {
    const float scale = std::max(1.0f, std::max(maxAbs(actual), maxAbs(expected)));
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++)
            EXPECT_NEAR(actual.m[i][j], expected.m[i][j], tol * scale) << "entry [" << i << "][" << j << "]";
}

inline void expectVecNear(const ktVec3f& v, const ktVec3f& expected, float tol = 0.0f) {
    EXPECT_NEAR(v.x, expected.x, tol);
    EXPECT_NEAR(v.y, expected.y, tol);
    EXPECT_NEAR(v.z, expected.z, tol);
}

inline bool isFinite(const ktVec3f& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

struct Vec3d {
    double x, y, z;
};
inline Vec3d operator-(Vec3d a, Vec3d b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3d operator+(Vec3d a, Vec3d b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3d operator*(Vec3d a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double dot(Vec3d a, Vec3d b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3d cross(Vec3d a, Vec3d b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline Vec3d unit(Vec3d a) { return a * (1.0 / std::sqrt(dot(a, a))); }

struct Mat4d {
    double m[4][4];  // [row][col]

    static Mat4d identity() {
        Mat4d i{};
        for (int k = 0; k < 4; k++) i.m[k][k] = 1.0;
        return i;
    }
    // From OpenGL's column-major layout (glGetDoublev).
    static Mat4d fromColumnMajor(const double* e) {
        Mat4d a;
        for (int r = 0; r < 4; r++)
            for (int c = 0; c < 4; c++) a.m[r][c] = e[4 * c + r];
        return a;
    }
};

inline Mat4d operator*(const Mat4d& a, const Mat4d& b) {
    Mat4d r{};
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++)
            for (int k = 0; k < 4; k++) r.m[i][j] += a.m[i][k] * b.m[k][j];
    return r;
}

#endif
