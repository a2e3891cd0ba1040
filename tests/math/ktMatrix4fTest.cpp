// 4x4 matrix: products against hand-computed results, the affine and full point transforms, and
// the post-multiplying generators (translate, scale, rotgen) against their defining products and
// against rotations worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "math/ktMatrix4f.h"
#include "support/ktTestMath.h"

namespace {

const float kPi = 3.14159265358979f;

ktMatrix4f identity() {
    ktMatrix4f i;
    i.setIdentity();
    return i;
}

ktMatrix4f fromRows(const float rows[4][4]) {
    ktMatrix4f a;
    a.set(rows);
    return a;
}

ktVec3f apply(const ktMatrix4f& a, ktVec3f p) {
    ktVec3f out;
    a.transform3(&p, &out);
    return out;
}

bool sameBits(const ktMatrix4f& a, const ktMatrix4f& b) { return std::memcmp(a.m, b.m, sizeof a.m) == 0; }

TEST(Matrix4f, MultiplyMatchesHandComputedProducts) {
    const float a[4][4] = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}};
    const float aa[4][4] = {
        {90, 100, 110, 120}, {202, 228, 254, 280}, {314, 356, 398, 440}, {426, 484, 542, 600}};
    const float t[4][4] = {{1, 0, 0, 1}, {0, 1, 0, 2}, {0, 0, 1, 3}, {0, 0, 0, 1}};
    // a * t keeps a's first three columns and replaces column 3 by a * (1, 2, 3, 1).
    const float at[4][4] = {{1, 2, 3, 18}, {5, 6, 7, 46}, {9, 10, 11, 74}, {13, 14, 15, 102}};
    // t * a adds 1, 2, 3 times row 3 to rows 0, 1, 2.
    const float ta[4][4] = {{14, 16, 18, 20}, {31, 34, 37, 40}, {48, 52, 56, 60}, {13, 14, 15, 16}};
    struct Case {
        const float (*x)[4];
        const float (*y)[4];
        const float (*expected)[4];
    };
    const Case cases[] = {{a, a, aa}, {a, t, at}, {t, a, ta}};
    for (const Case& c : cases) {
        ktMatrix4f r;
        ktMatrix4f::multiply(c.x, c.y, r.m);
        EXPECT_TRUE(sameBits(r, fromRows(c.expected)));
    }
}

TEST(Matrix4f, MultiplyByIdentityReproducesAndOutputMayAlias) {
    std::mt19937 rng(3);
    const ktMatrix4f id = identity();
    for (int n = 0; n < 100; n++) {
        const ktMatrix4f a = randomMatrix(rng);
        const ktMatrix4f b = randomMatrix(rng);
        ktMatrix4f left, right;
        ktMatrix4f::multiply(id.m, a.m, left.m);
        ktMatrix4f::multiply(a.m, id.m, right.m);
        EXPECT_TRUE(sameBits(left, a));
        EXPECT_TRUE(sameBits(right, a));

        // Writing the product over either operand gives the same product as a separate output.
        ktMatrix4f separate, overA = a, overB = b;
        ktMatrix4f::multiply(a.m, b.m, separate.m);
        ktMatrix4f::multiply(overA.m, b.m, overA.m);
        ktMatrix4f::multiply(a.m, overB.m, overB.m);
        EXPECT_TRUE(sameBits(overA, separate));
        EXPECT_TRUE(sameBits(overB, separate));
    }
}

TEST(Matrix4f, TransformsUseRowsAsTheyAreStored) {
    EXPECT_EQ(apply(identity(), ktVec3f(1.5f, -2, 7)).x, 1.5f);
    // Translation in column 3; a non-trivial bottom row is ignored by transform3 (no division).
    const float rows[4][4] = {{2, 0, 0, 10}, {0, 3, 0, 20}, {1, 0, 4, 30}, {5, 6, 7, 8}};
    const ktMatrix4f a = fromRows(rows);
    const ktVec3f p = apply(a, ktVec3f(1, 2, 3));
    expectVecNear(p, ktVec3f(12, 26, 43));

    // transform4 uses all four rows and never divides by w.
    const float in[4] = {1, 2, 3, 1};
    const float want[4] = {12, 26, 43, 5 + 12 + 21 + 8};
    float out[4];
    a.transform4(in, out);
    for (int r = 0; r < 4; r++) EXPECT_EQ(out[r], want[r]);

    // In-place transforms give the same result as separate output.
    ktVec3f q(1, 2, 3);
    a.transform3(&q, &q);
    expectVecNear(q, p);
    float v[4] = {1, 2, 3, 1};
    a.transform4(v, v);
    for (int r = 0; r < 4; r++) EXPECT_EQ(v[r], want[r]);
}

TEST(Matrix4f, TranslateAndScalePostMultiply) {
    ktMatrix4f a = identity();
    a.translate(1, 2, 3);
    expectVecNear(apply(a, ktVec3f()), ktVec3f(1, 2, 3), 0);

    // The later call acts on the point first: scale then translate scales the translation.
    a = identity();
    a.scale(2, 2, 2);
    a.translate(1, 0, 0);
    expectVecNear(apply(a, ktVec3f()), ktVec3f(2, 0, 0), 0);
    a = identity();
    a.translate(1, 0, 0);
    a.scale(2, 2, 2);
    expectVecNear(apply(a, ktVec3f(1, 0, 0)), ktVec3f(3, 0, 0), 0);

    // On an arbitrary matrix they equal M * T and M * S with T and S written out.
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> d(-4.0f, 4.0f);
    for (int n = 0; n < 100; n++) {
        const ktMatrix4f m = randomMatrix(rng);
        const float x = d(rng), y = d(rng), z = d(rng);
        const float t[4][4] = {{1, 0, 0, x}, {0, 1, 0, y}, {0, 0, 1, z}, {0, 0, 0, 1}};
        const float s[4][4] = {{x, 0, 0, 0}, {0, y, 0, 0}, {0, 0, z, 0}, {0, 0, 0, 1}};
        ktMatrix4f expected, actual = m;
        ktMatrix4f::multiply(m.m, t, expected.m);
        actual.translate(x, y, z);
        expectMatrixNear(actual, expected, 1e-6f);
        ktMatrix4f::multiply(m.m, s, expected.m);
        actual = m;
        actual.scale(x, y, z);
        expectMatrixNear(actual, expected, 1e-6f);
    }
}

TEST(Matrix4f, RotgenMatchesHandComputedRotations) {
    struct Case {
        float ax, ay, az, angle;
        ktVec3f in, expected;
    };
    const float s30 = 0.5f, c30 = 0.8660254f;
    const Case cases[] = {
        {0, 0, 1, kPi / 2, ktVec3f(1, 0, 0), ktVec3f(0, 1, 0)},
        {0, 0, 1, kPi / 2, ktVec3f(0, 1, 0), ktVec3f(-1, 0, 0)},
        {0, 0, 2, kPi / 2, ktVec3f(1, 0, 0), ktVec3f(0, 1, 0)},  // unnormalised axis
        {0, 0, -1, kPi / 2, ktVec3f(1, 0, 0), ktVec3f(0, -1, 0)},
        {0, 0, 1, -kPi / 2, ktVec3f(1, 0, 0), ktVec3f(0, -1, 0)},
        {1, 0, 0, kPi / 2, ktVec3f(0, 1, 0), ktVec3f(0, 0, 1)},
        {0, 3, 0, kPi / 2, ktVec3f(0, 0, 1), ktVec3f(1, 0, 0)},
        {0, 0, 1, kPi / 6, ktVec3f(2, 0, 5), ktVec3f(2 * c30, 2 * s30, 5)},
        // A third of a turn about the diagonal cycles the axes x -> y -> z -> x.
        {1, 1, 1, 2 * kPi / 3, ktVec3f(1, 0, 0), ktVec3f(0, 1, 0)},
        {5, 5, 5, 2 * kPi / 3, ktVec3f(0, 0, 1), ktVec3f(1, 0, 0)},
        // A half turn about (1, 1, 0) swaps x and y and flips z.
        {1, 1, 0, kPi, ktVec3f(1, 0, 0), ktVec3f(0, 1, 0)},
        {1, 1, 0, kPi, ktVec3f(0, 0, 1), ktVec3f(0, 0, -1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "axis (" << c.ax << ", " << c.ay << ", " << c.az << ") angle " << c.angle);
        ktMatrix4f a = identity();
        a.rotgen(c.ax, c.ay, c.az, c.angle);
        expectVecNear(apply(a, c.in), c.expected, 2e-6f);
        // Rotation only: no translation, bottom row untouched.
        expectVecNear(apply(a, ktVec3f()), ktVec3f(), 0);
        EXPECT_EQ(a.m[3][0], 0.0f);
        EXPECT_EQ(a.m[3][3], 1.0f);
    }

    // Post-multiplication: the rotation acts on the point before an earlier translation.
    ktMatrix4f a = identity();
    a.translate(5, 0, 0);
    a.rotgen(0, 0, 1, kPi / 2);
    expectVecNear(apply(a, ktVec3f(1, 0, 0)), ktVec3f(5, 1, 0), 2e-6f);
    a = identity();
    a.rotgen(0, 0, 1, kPi / 2);
    a.translate(5, 0, 0);
    expectVecNear(apply(a, ktVec3f()), ktVec3f(0, 5, 0), 1e-5f);
}

TEST(Matrix4f, RotgenZeroAxisOrZeroAngleChangesNothing) {
    std::mt19937 rng(9);
    for (int n = 0; n < 20; n++) {
        const ktMatrix4f m = randomMatrix(rng);
        ktMatrix4f a = m;
        const float calls[3][4] = {{0, 0, 0, 1.0f}, {1, 0, 0, 0.0f}, {0, 0, 0, 0.0f}};  // axis, angle
        for (const auto& c : calls) {
            a.rotgen(c[0], c[1], c[2], c[3]);
            EXPECT_TRUE(sameBits(a, m)) << "axis x " << c[0] << " angle " << c[3];
        }
    }
}

TEST(Matrix4f, RotgenIsAProperRotationAboutItsAxis) {
    std::mt19937 rng(13);
    std::uniform_real_distribution<float> coord(-3.0f, 3.0f);
    std::uniform_real_distribution<float> angleDist(-2 * kPi, 2 * kPi);
    for (int n = 0; n < 500; n++) {
        const ktVec3f axis(coord(rng), coord(rng), coord(rng));
        if (axis.length() < 0.1f) continue;
        const float angle = angleDist(rng);
        ktMatrix4f r = identity();
        r.rotgen(axis.x, axis.y, axis.z, angle);

        // Orthonormal rows and determinant +1 (no reflection).
        ktVec3f rows[3];
        for (int i = 0; i < 3; i++) rows[i].set(r.m[i][0], r.m[i][1], r.m[i][2]);
        for (int i = 0; i < 3; i++)
            for (int j = i; j < 3; j++)
                EXPECT_NEAR(rows[i].dot(rows[j]), i == j ? 1.0f : 0.0f, 1e-5f) << i << j;
        EXPECT_NEAR(rows[0].cross(rows[1]).dot(rows[2]), 1.0f, 1e-5f);

        // The axis is fixed; a perpendicular vector turns by the angle, counter-clockwise about it.
        ktVec3f unitAxis = axis;
        unitAxis.normalize();
        expectVecNear(apply(r, axis), axis, 1e-5f);
        ktVec3f u = unitAxis.cross(ktVec3f(1, 0, 0));
        if (u.length() < 0.1f) u = unitAxis.cross(ktVec3f(0, 1, 0));
        u.normalize();
        const ktVec3f ru = apply(r, u);
        EXPECT_NEAR(u.dot(ru), std::cos(angle), 1e-5f);
        EXPECT_NEAR(u.cross(ru).dot(unitAxis), std::sin(angle), 1e-5f);
    }
}

}  // namespace
