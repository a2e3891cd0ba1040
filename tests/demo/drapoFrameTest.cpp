// The mesh pass: every knob wrapped onto the sphere (radius = -height) and coloured green in the
// mesh vertex of the same index.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "demo/drapoMesh.h"
#include "support/ktShapeReference.h"
#include "support/ktTestCloth.h"

namespace {

TEST(DrapoMesh, MapsKnownKnobsOntoTheSphere) {
    const struct {
        ktVec3f knob, vertex;
    } cases[] = {
        {ktVec3f(-49, -49, 6), ktVec3f(-0.01183f, -0.18809f, -5.99704f)},
        {ktVec3f(50, 50, 6), ktVec3f(0, 0, 6)},
        {ktVec3f(0, 0, 6), ktVec3f(0, 6, 0)},
        {ktVec3f(0, 0, 4), ktVec3f(0, 4, 0)},
        {ktVec3f(-50, 7, 5), ktVec3f(0, 0, -5)},  // x = -50 is the pole
        {ktVec3f(0, -25, 5), ktVec3f(-5, 0, 0)},  // a quarter turn of azimuth
    };
    auto app = makeCloth();
    const int knobs[] = {0, 4242, 5049, 6000, 7777, 9999};
    for (int c = 0; c < 6; c++) app->thread[knobs[c]].pos = cases[c].knob;
    app->updateMesh();
    for (int c = 0; c < 6; c++) {
        SCOPED_TRACE(c);
        expectVecNear(app->blanky->vertexList[knobs[c]], cases[c].vertex, 2e-5f);
    }
}

TEST(DrapoMesh, EveryKnobDrivesItsOwnGreenVertexAtItsRadius) {
    auto app = makeCloth();
    for (int k = 0; k < drapoKnobs; k++) {
        app->thread[k].pos.z = 4.0f + 0.25f * static_cast<float>(k % 9);
        app->blanky->colorList[k].set(1.0f, 0.0f, 0.5f, 0.5f);
    }
    testing::internal::CaptureStdout();
    app->updateMesh();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string());
    for (int k = 0; k < drapoKnobs; k++) {
        const ktVec3f v = app->blanky->vertexList[k];
        const ktVec4f c = app->blanky->colorList[k];
        ASSERT_NEAR(v.length(), app->thread[k].pos.z, 1e-5f) << k;
        ASSERT_TRUE(c.x == 0.0f && c.y == 1.0f && c.z == 0.0f && c.w == 1.0f) << k;
    }
    // The azimuth follows y: knobs one row apart differ by 2 pi / 100 around the z axis.
    const ktVec3f a = app->blanky->vertexList[5010], b = app->blanky->vertexList[5110];
    const double turn = std::atan2(a.x, a.y) - std::atan2(b.x, b.y);
    EXPECT_NEAR(std::fabs(turn), 2.0 * 3.14159265358979 / 100.0, 1e-5);
    EXPECT_EQ(app->i, drapoKnobs);
    EXPECT_EQ(app->m, 99);
    EXPECT_EQ(app->n, 99);
}

// The pass on every instruction set this machine runs against the scalar pass, from a draping
// cloth with knobs sent to NaN, infinity, -0 or far away and colours that are not quite green, and
// again after some knobs moved (remembered and new angles mixed in one group).
TEST(DrapoMeshPaths, EveryPathMatchesTheScalarPass) {
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    auto start = makeCloth();
    for (int s = 0; s < 150; s++) start->step();
    clothknob* t = start->thread;
    t[17].pos.x = nan, t[230].pos.y = -inf, t[231].pos.set(-0.0f, -0.0f, -0.0f), t[5000].pos.x = 3e38f;
    t[9999].pos.z = nan;
    ktVec4f* c = start->blanky->colorList;
    c[40].set(0, 1, 0, 0.5f), c[41].set(-0.0f, 1, 0, 1), c[42].set(0, 1, 0, nan), c[99].set(0, 1, 0, 1);
    std::vector<ktVec3f> expected[3];
    std::vector<ktVec4f> expectedColors[3];
    for (int p = ktSimdScalar; p <= ktSimdBest(); p++) {
        SCOPED_TRACE(ktSimdName(static_cast<ktSimdPath>(p)));
        std::vector<clothknob> knobs(start->thread, start->thread + drapoKnobs);
        std::vector<ktVec3f> vertices(drapoKnobs);
        std::vector<ktVec4f> colors(c, c + drapoKnobs);
        std::unique_ptr<drapoAngleMemo[]> memos(new drapoAngleMemo[2]);
        drapoForgetAngles(memos[0]), drapoForgetAngles(memos[1]);
        drapoNearHistory near = {false, 0};
        drapoMeshJob job = {knobs.data(), vertices.data(), colors.data(), &memos[0], &memos[1], &near, false};
        // Passes 1 .. 4 find every angle again (quick pairs that rest give way to the library's).
        // Every other pass goes without the near memos. Passes 1, 2 and 5 take quick pairs only
        // after a busy pass: 2 and 5 follow a pass without changes and give up the quick pairs.
        // The last one is the scalar pass over the memos that this path left, after the knobs that
        // moved sideways changed height only.
        for (int pass = 0; pass < 7; pass++) {
            for (int k = 0; k < drapoKnobs && pass >= 5; k += 3)
                (pass == 5 ? knobs[k].pos.y : knobs[k].pos.z) += 0.5f;
            near.paid = pass % 2 == 0;
            job.quickWhenBusy = pass == 1 || pass == 2 || pass == 5;
            drapoMeshOn(static_cast<ktSimdPath>(pass < 6 ? p : ktSimdScalar), job);
            const int e = pass < 5 ? 0 : pass - 4;
            if (p == ktSimdScalar) {
                expected[e] = vertices, expectedColors[e] = colors;
                continue;
            }
            for (int k = 0; k < drapoKnobs; k++) {
                ASSERT_TRUE(ktSameBits(vertices[k], expected[e][k])) << "pass " << pass << ", knob " << k;
                ASSERT_EQ(std::memcmp(&colors[k], &expectedColors[e][k], sizeof(ktVec4f)), 0) << k;
            }
        }
    }
}

// The wide passes' quick sines and cosines stay within 2^-44 of the library's, relative: the bound
// that their proof of each vertex rests on. Every 997th float up to 32 in size, either sign, and the
// 401 floats around each multiple of pi/2 there, where the reduced angle is smallest.
#if KT_SIMD_WIDE
// The passes with quick pairs, and their quick pairs.
const struct {
    ktSimdPath path;
    void (*pairs)(const float*, int, double*, double*);
} quickPaths[] = {{ktSimdAvx2, drapoQuickPairsAvx2}, {ktSimdAvx512, drapoQuickPairsAvx512}};

TEST(DrapoMeshPaths, QuickPairsStayNearTheLibrarys) {
    std::vector<float> angles;
    for (float a = 0.0f; a <= 32.0f;) {
        angles.push_back(a), angles.push_back(-a);
        uint32_t bits;
        std::memcpy(&bits, &a, sizeof bits);
        bits += 997;
        std::memcpy(&a, &bits, sizeof a);
    }
    for (int q = 1; q <= 20; q++) {
        float a = static_cast<float>(q * 1.5707963267948966);
        for (int d = 0; d < 200; d++) a = std::nextafter(a, 0.0f);
        for (int d = 0; d <= 400; d++, a = std::nextafter(a, 64.0f)) angles.push_back(a);
    }
    const double bound = std::ldexp(1.0, -44);
    for (const auto& q : quickPaths) {
        if (ktSimdBest() < q.path) continue;
        SCOPED_TRACE(ktSimdName(q.path));
        std::vector<double> sines(angles.size()), cosines(angles.size());
        q.pairs(angles.data(), static_cast<int>(angles.size()), sines.data(), cosines.data());
        for (size_t i = 0; i < angles.size(); i++) {
            const double s = std::sin(static_cast<double>(angles[i])),
                         c = std::cos(static_cast<double>(angles[i]));
            ASSERT_LE(std::fabs(sines[i] - s), bound * std::fabs(s)) << angles[i];
            ASSERT_LE(std::fabs(cosines[i] - c), bound * std::fabs(c)) << angles[i];
        }
    }
}

// The wide passes' last four columns run as a group of four, which makes no quick pairs and no
// proofs. Their row's earlier groups leave quick pairs in the pass's near memos; the group must not
// take them unproven (both passes' quick pairs are the same doubles). A flat sheet: the first group of each
// row remembers theta as a quick pair; in the first row where that pair is not the library's, knob 96 of the
// row gets a height where the two pairs give different vertices.
TEST(DrapoMeshPaths, TheLastColumnsTakeNoUnprovenQuickPairs) {
    if (ktSimdBest() < ktSimdAvx2) GTEST_SKIP() << "this processor has no AVX2";
    auto app = makeCloth();
    int knob = -1;
    float z = 0.0f;
    for (int row = 1; row < drapoSide && knob < 0; row++) {
        const clothknob& k = app->thread[row * drapoSide + 96];
        const float theta = drapoTheta(k.pos.y);
        double quickSine, quickCosine;
        drapoQuickPairsAvx2(&theta, 1, &quickSine, &quickCosine);
        const double sinPhi = std::sin(static_cast<double>(drapoPhi(k.pos.x)));
        const double sinTheta = std::sin(static_cast<double>(theta)),
                     cosTheta = std::cos(static_cast<double>(theta));
        if (quickSine == sinTheta && quickCosine == cosTheta) continue;
        auto differs = [&](float h) {
            const double r = -static_cast<double>(h);
            return static_cast<float>(r * sinPhi * quickSine) != static_cast<float>(r * sinPhi * sinTheta) ||
                   static_cast<float>(r * sinPhi * quickCosine) != static_cast<float>(r * sinPhi * cosTheta);
        };
        z = 6.0f;
        for (int tries = 0; tries < (1 << 20) && !differs(z); tries++) z = std::nextafter(z, 0.0f);
        if (differs(z)) knob = row * drapoSide + 96;
    }
    ASSERT_GE(knob, 0) << "no row and height found";
    app->thread[knob].pos.z = z;
    auto vertexOn = [&](ktSimdPath path) {
        std::vector<ktVec3f> vertices(drapoKnobs);
        std::vector<ktVec4f> colors(drapoKnobs);
        std::unique_ptr<drapoAngleMemo[]> memos(new drapoAngleMemo[2]);
        drapoForgetAngles(memos[0]), drapoForgetAngles(memos[1]);
        const drapoMeshJob job = {app->thread, vertices.data(), colors.data(), &memos[0],
                                  &memos[1],   nullptr,         false};
        drapoMeshOn(path, job);
        return vertices[knob];
    };
    const ktVec3f expected = vertexOn(ktSimdScalar);
    for (const auto& q : quickPaths) {
        if (ktSimdBest() < q.path) continue;
        EXPECT_TRUE(ktSameBits(vertexOn(q.path), expected))
            << ktSimdName(q.path) << ": knob " << knob << ", height " << z;
    }
}
#endif

}  // namespace
