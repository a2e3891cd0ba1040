// The mesh pass: every knob wrapped onto the sphere (radius = -height) and coloured green in the
// mesh vertex of the same index.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

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

}  // namespace
