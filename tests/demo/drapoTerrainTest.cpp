// The terrain: floor 4, lettered relief 5, and the inclusive rectangle test it is built from.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/ktTestCloth.h"

namespace {

const float nan = std::numeric_limits<float>::quiet_NaN();
const float inf = std::numeric_limits<float>::infinity();

TEST(DrapoTerrain, RectIsInclusiveAndRejectsNaN) {
    const struct {
        float x, y, top, left, bottom, right, expected;
    } cases[] = {
        {5, 5, 0, 0, 10, 10, 1},   {10, 10, 0, 0, 10, 10, 1},  {0, 0, 0, 0, 10, 10, 1},
        {5, 5, 0, 0, 4, 10, 0},    // y past bottom
        {5, 5, 6, 0, 10, 10, 0},   // y before top
        {11, 5, 0, 0, 10, 10, 0},  // x past right
        {5, 5, 0, 6, 10, 10, 0},   // x before left
        {nan, 5, 0, 0, 10, 10, 0}, {5, nan, 0, 0, 10, 10, 0},  {5, 5, nan, 0, 10, 10, 0},
        {5, 5, 0, 0, 10, nan, 0},  {inf, 5, 0, 0, 10, inf, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rect(c.x, c.y, c.top, c.left, c.bottom, c.right), c.expected)
            << c.x << " " << c.y << " in " << c.top << " " << c.left << " " << c.bottom << " " << c.right;
    }
}

TEST(DrapoTerrain, HeightsAtLandmarks) {
    auto app = makeCloth();
    const struct {
        float x, y, height;
    } cases[] = {
        {-49, -49, 4},   {50, 50, 4},                     // cloth corners over the floor
        {15, -20, 5},    {0, -20, 5},     {30, -20, 5},   // H stem, inclusive feet and head
        {-0.5f, -20, 4}, {30.5f, -20, 4},                 // just outside it
        {15, -30, 5},    {5, -30, 4},                     // H crossbar; below it
        {0, 0, 5},       {15, 0, 5},      {15, 2.5f, 4},  // E lower arm, middle arm end
        {10, 25, 5},     {22, 25, 4},                     // W apex and the gap above
        {0, 42.5f, 5},   {0, 42.6f, 4},   {0, -42.5f, 5}, {0, -42.6f, 4}, {1000, 1000, 4},
        {-1000, 0, 4},   {nan, 0, 4},     {0, nan, 4},    {inf, 0, 4},    {0, -inf, 4},
    };
    for (const auto& c : cases) EXPECT_EQ(app->surface(c.x, c.y), c.height) << c.x << ", " << c.y;
}

TEST(DrapoTerrain, ReliefCovers1313StartingGridPointsInsideItsBounds) {
    auto app = makeCloth();
    int onRelief = 0;
    for (int gy = -49; gy <= 50; gy++) {
        for (int gx = -49; gx <= 50; gx++) {
            const float h = app->surface(static_cast<float>(gx), static_cast<float>(gy));
            ASSERT_TRUE(h == 4.0f || h == 5.0f);
            if (h == 5.0f) {
                onRelief++;
                ASSERT_TRUE(gx >= 0 && gx <= 30 && gy >= -42 && gy <= 42) << gx << ", " << gy;
            }
        }
    }
    EXPECT_EQ(onRelief, 1313);
}

TEST(DrapoTerrain, LettersHWAreMirrorSymmetric) {
    // The W mirrors about y = 25 and the H about y = -30; sampled on a quarter-unit lattice, which
    // is exact in float, and with its boundaries included.
    auto app = makeCloth();
    const struct { float centre, halfSpan; } letters[] = {{25.0f, 18.0f}, {-30.0f, 13.0f}};
    for (const auto& l : letters) {
        int relief = 0;
        for (float t = 0.0f; t <= l.halfSpan; t += 0.25f) {
            for (float x = -1.0f; x <= 31.0f; x += 0.25f) {
                const float a = app->surface(x, l.centre + t), b = app->surface(x, l.centre - t);
                ASSERT_EQ(a, b) << "x " << x << ", y " << l.centre << " +- " << t;
                relief += a == 5.0f;
            }
        }
        EXPECT_GT(relief, 100) << l.centre;
    }
}

}  // namespace
