// ktFloat4 against float, lane by lane, on the values where a wide operation most easily differs from
// the scalar one: signed zeros, subnormals, infinities, NaN, the rounding of the double steps.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "math/ktLanes.h"

namespace {

unsigned bitsOf(float v) {
    unsigned b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// Results of one operation on a lane group and on each lane's float, bit for bit; NaN results must be
// NaN in both (which NaN a two-NaN operation passes on is the compiler's operand order).
void expectLanes(const char* what, ktFloat4 lanes, const float (&scalar)[4]) {
    float got[4];
    lanes.store(got);
    for (int l = 0; l < 4; l++) {
        if (std::isnan(scalar[l])) {
            EXPECT_TRUE(std::isnan(got[l])) << what << " lane " << l;
        } else {
            EXPECT_EQ(bitsOf(got[l]), bitsOf(scalar[l]))
                << what << " lane " << l << ": " << got[l] << " vs " << scalar[l];
        }
    }
}

TEST(Lanes, EveryLaneGivesTheFloatResult) {
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const float tiny = std::numeric_limits<float>::denorm_min(), big = std::numeric_limits<float>::max();
    const float a[][4] = {{0.0f, -0.0f, tiny, -tiny},
                          {inf, -inf, nan, -nan},
                          {big, -big, 1e-38f, 3.0f},
                          {1.0f / 3.0f, -7.5f, 16777217.0f, 0.1f}};
    for (const auto& x : a) {
        for (const auto& y : a) {
            const ktFloat4 X = ktFloat4::load(x), Y = ktFloat4::load(y);
            float sum[4], diff[4], prod[4], quot[4], neg[4], root[4], pick[4], narrowed[4];
            for (int l = 0; l < 4; l++) {
                sum[l] = x[l] + y[l];
                diff[l] = x[l] - y[l];
                prod[l] = x[l] * y[l];
                quot[l] = x[l] / y[l];
                neg[l] = -x[l];
                root[l] = std::sqrt(x[l]);
                pick[l] = x[l] < y[l] ? x[l] : y[l];
                // Rounded once from double, as the window projection rounds.
                narrowed[l] =
                    static_cast<float>((static_cast<double>(x[l]) + 1.0) * static_cast<double>(y[l]));
            }
            expectLanes("+", X + Y, sum);
            expectLanes("-", X - Y, diff);
            expectLanes("*", X * Y, prod);
            expectLanes("/", X / Y, quot);
            expectLanes("negate", -X, neg);
            expectLanes("sqrt", ktSqrt(X), root);
            expectLanes("select", ktSelect(X < Y, X, Y), pick);
            expectLanes("widen and narrow", ktNarrow((ktWiden(X) + ktDouble4(1.0)) * ktWiden(Y)), narrowed);
        }
    }
}

// Negating NaN flips its sign bit, as float negation does; the strip normals rely on it.
TEST(Lanes, NegationFlipsOnlyTheSignBit) {
    const float x[4] = {std::numeric_limits<float>::quiet_NaN(), -0.0f, 0.0f,
                        -std::numeric_limits<float>::denorm_min()};
    float got[4];
    (-ktFloat4::load(x)).store(got);
    for (int l = 0; l < 4; l++) EXPECT_EQ(bitsOf(got[l]), bitsOf(x[l]) ^ 0x80000000u) << l;
}

// Bit-pattern equality tells -0 from +0 and matches a NaN with itself; a masked gather reads only
// where its mask holds (lane 1's index lies far outside the array); doubles load in lane order.
TEST(Lanes, SameBitsMaskedGatherAndDoubleLoads) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float a[4] = {0.0f, nan, 1.0f, 2.0f}, b[4] = {-0.0f, nan, 1.0f, 3.0f};
    EXPECT_EQ(ktMaskBits(ktSameBits(ktFloat4::load(a), ktFloat4::load(b))), 0x6);
    const float base[3] = {10.0f, 20.0f, 30.0f}, index[4] = {2.0f, 1e6f, 0.0f, 1.0f};
    const float fallback[4] = {-1.0f, -2.0f, -3.0f, -4.0f}, gathered[4] = {30.0f, -2.0f, 10.0f, 20.0f};
    const ktFloat4 at = ktFloat4::load(index);
    expectLanes("gather", ktGatherWhere(at < ktFloat4(3.0f), ktFloat4::load(fallback), base, at), gathered);
    const double d[4] = {0.1, -2.5, 1e300, 3.0};
    const float narrowed[4] = {0.1f, -2.5f, std::numeric_limits<float>::infinity(), 3.0f};
    expectLanes("double load", ktNarrow(ktLoad<ktDouble4>(d)), narrowed);
}

}  // namespace
