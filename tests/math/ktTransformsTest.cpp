// Software transform stack without OpenGL: stack bounds and copying, the degree-based stack
// operations, and the screen projection from a camera set by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "math/ktTransforms.h"
#include "support/ktTestMath.h"

namespace {

class Transforms : public testing::Test {
protected:
    void SetUp() override {
        ktMatrixHeight = 0;
        ktTransformsInit();
    }
    void TearDown() override { SetUp(); }
};

ktVec3f toReal(ktVec3f p) {
    ktVec3f out;
    ktTransformToReal(p, out);
    return out;
}

ktVec3f toScreen(ktVec3f p) {
    ktVec3f out;
    ktTransformRealToScreen(p, out);
    return out;
}

void setCamera(const float rows[4][4], int x, int y, int w, int h) {
    cameraMatrix.set(rows);
    view[0] = x, view[1] = y, view[2] = w, view[3] = h;
}

TEST_F(Transforms, InitSetsIdentityEverywhereAndKeepsHeight) {
    for (int i = 0; i < ktMatrixStackDepth; i++) ktMatrixStack[i].translate(1, 2, 3);
    ktMatrixHeight = 5;
    ktTransformsInit();
    EXPECT_EQ(ktMatrixHeight, 5);
    ktMatrixHeight = 0;
    const ktVec3f p(1.25f, -3, 7);
    for (int h = 0; h < ktMatrixStackDepth; h++) {
        ktMatrixHeight = h;
        EXPECT_EQ(getCurrentMatrix(), &ktMatrixStack[h]);
        const ktVec3f q = toReal(p);
        ASSERT_TRUE(q.x == p.x && q.y == p.y && q.z == p.z) << "height " << h;
    }
}

TEST_F(Transforms, StackStaysWithinItsBounds) {
    for (int i = 0; i < 200; i++) ktPushMatrix();
    EXPECT_EQ(ktMatrixHeight, 127);
    for (int i = 0; i < 200; i++) ktPopMatrix();
    EXPECT_EQ(ktMatrixHeight, 0);

    // A push at the top is dropped: later transforms land on the same top matrix, and the
    // paired pop removes the level below.
    for (int i = 0; i < 127; i++) ktPushMatrix();
    ktTranslatef(1, 0, 0);
    ktPushMatrix();
    EXPECT_EQ(ktMatrixHeight, 127);
    ktTranslatef(0, 1, 0);
    expectVecNear(toReal(ktVec3f()), ktVec3f(1, 1, 0), 0);
    ktPopMatrix();
    EXPECT_EQ(ktMatrixHeight, 126);
    expectVecNear(toReal(ktVec3f()), ktVec3f(), 0);
}

TEST_F(Transforms, PushCopiesAndPopRestores) {
    ktPushMatrix();
    ktTranslatef(1, 2, 3);
    ktPushMatrix();
    expectVecNear(toReal(ktVec3f()), ktVec3f(1, 2, 3), 0);  // the new top is a copy
    ktScalef(2, 2, 2);
    expectVecNear(toReal(ktVec3f(1, 1, 1)), ktVec3f(3, 4, 5), 0);
    ktPopMatrix();
    expectVecNear(toReal(ktVec3f(1, 1, 1)), ktVec3f(2, 3, 4), 0);
    ktPopMatrix();
    EXPECT_EQ(ktMatrixHeight, 0);
    expectVecNear(toReal(ktVec3f(1, 1, 1)), ktVec3f(1, 1, 1), 0);  // entry 0 never transformed

    // In-place use gives the same result.
    ktTranslatef(4, 0, 0);
    ktVec3f p(1, 1, 1);
    ktTransformToReal(p, p);
    expectVecNear(p, ktVec3f(5, 1, 1), 0);
}

TEST_F(Transforms, StackOperationsTakeDegreesAndComposeLikeOpenGl) {
    struct Case {
        float angle, ax, ay, az;
        ktVec3f in, expected;
    };
    const Case cases[] = {
        {90, 0, 0, 1, ktVec3f(1, 0, 0), ktVec3f(0, 1, 0)},
        {30, 0, 0, 1, ktVec3f(1, 0, 0), ktVec3f(0.8660254f, 0.5f, 0)},
        {-90, 1, 0, 0, ktVec3f(0, 0, 1), ktVec3f(0, 1, 0)},
        {180, 0, 4, 0, ktVec3f(1, 2, 3), ktVec3f(-1, 2, -3)},
        {120, 1, 1, 1, ktVec3f(0, 1, 0), ktVec3f(0, 0, 1)},
        {0, 1, 0, 0, ktVec3f(1, 2, 3), ktVec3f(1, 2, 3)},
        {45, 0, 0, 0, ktVec3f(1, 2, 3), ktVec3f(1, 2, 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "angle " << c.angle);
        ktTransformsInit();
        ktRotatef(c.angle, c.ax, c.ay, c.az);
        expectVecNear(toReal(c.in), c.expected, 2e-6f);
    }

    ktTransformsInit();
    ktTranslatef(1, 0, 0);
    ktScalef(2, 2, 2);
    expectVecNear(toReal(ktVec3f(1, 0, 0)), ktVec3f(3, 0, 0), 0);

    // Later calls act on the point first: translate, rotate, scale.
    ktTransformsInit();
    ktTranslatef(0, 0, 10);
    ktRotatef(90, 0, 0, 1);
    ktScalef(3, 1, 1);
    expectVecNear(toReal(ktVec3f(1, 0, 0)), ktVec3f(0, 3, 10), 1e-5f);
}

TEST_F(Transforms, RealToScreenFromAHandSetCamera) {
    const float identity[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    // Clip w = 2 everywhere: x and y are divided by it, z is not.
    const float halfW[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 2}};
    // A perspective-like bottom row: w = -z.
    const float persp[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, -1, 0}};
    struct Case {
        const float (*camera)[4];
        int view[4];
        ktVec3f in, expected;
    };
    const Case cases[] = {
        {identity, {0, 0, 640, 480}, ktVec3f(0, 0, 0), ktVec3f(320, 240, 0.5f)},
        {identity, {0, 0, 640, 480}, ktVec3f(1, 1, 0.5f), ktVec3f(640, 480, 0.75f)},
        {identity, {0, 0, 640, 480}, ktVec3f(-1, -1, -1), ktVec3f(0, 0, 0)},
        {identity, {100, 50, 200, 100}, ktVec3f(0, 0, 0), ktVec3f(200, 100, 0.5f)},
        {identity, {100, 50, 200, 100}, ktVec3f(-0.5f, 0.5f, -3), ktVec3f(150, 125, -1)},
        {halfW, {0, 0, 640, 480}, ktVec3f(1, 1, 1), ktVec3f(480, 360, 1)},
        {persp, {0, 0, 640, 480}, ktVec3f(2, -1, -4), ktVec3f(480, 180, -1.5f)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "point (" << c.in.x << ", " << c.in.y << ", " << c.in.z << ")");
        setCamera(c.camera, c.view[0], c.view[1], c.view[2], c.view[3]);
        expectVecNear(toScreen(c.in), c.expected, 1e-4f);
    }

    // Clip w = 0: non-finite x and y, no crash.
    setCamera(persp, 0, 0, 640, 480);
    const ktVec3f onPlane = toScreen(ktVec3f(1, 0, 0));
    EXPECT_FALSE(std::isfinite(onPlane.x));
    EXPECT_FALSE(std::isfinite(onPlane.y));

    // Output may be the input vector.
    setCamera(identity, 0, 0, 640, 480);
    ktVec3f p(1, 1, 0.5f);
    ktTransformRealToScreen(p, p);
    expectVecNear(p, ktVec3f(640, 480, 0.75f), 1e-4f);
}

}  // namespace
