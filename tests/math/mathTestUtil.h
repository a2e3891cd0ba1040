// Helpers shared by the math tests: random matrices and transform sequences, and tolerant
// comparisons scaled by the magnitude of what is compared.
#ifndef KT_TESTS_MATH_MATHTESTUTIL_H
#define KT_TESTS_MATH_MATHTESTUTIL_H

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

inline void expectVecNear(const ktVec3f& v, const ktVec3f& expected, float tol) {
    EXPECT_NEAR(v.x, expected.x, tol);
    EXPECT_NEAR(v.y, expected.y, tol);
    EXPECT_NEAR(v.z, expected.z, tol);
}

#endif
