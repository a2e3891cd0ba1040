// The software stack checked against real OpenGL (Mesa) and GLU: the same call sequences applied to
// OpenGL's model-view matrix, and window positions against gluProject.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "math/ktTransforms.h"
#include "support/ktTestCamera.h"

namespace {

TEST_F(TransformsGl, RandomSequencesComposeLikeTheModelviewStack) {
    std::mt19937 rng(2024);
    std::uniform_int_distribution<int> opDist(0, 9);
    std::uniform_int_distribution<int> lenDist(1, 14);
    std::uniform_real_distribution<float> offset(-5.0f, 5.0f);
    std::uniform_real_distribution<float> factor(0.5f, 2.0f);
    std::uniform_real_distribution<float> degrees(-360.0f, 360.0f);
    std::uniform_real_distribution<float> axisDist(-2.0f, 2.0f);
    std::bernoulli_distribution flip(0.3);

    glMatrixMode(GL_MODELVIEW);
    for (int seq = 0; seq < 300; seq++) {
        glLoadIdentity();
        ktMatrixHeight = 0;
        ktTransformsInit();
        int depth = 0;
        const int length = lenDist(rng);
        for (int op = 0; op < length; op++) {
            const int kind = opDist(rng);
            if (kind <= 2) {
                const float x = offset(rng), y = offset(rng), z = offset(rng);
                glTranslatef(x, y, z);
                ktTranslatef(x, y, z);
            } else if (kind <= 5) {
                float ax = axisDist(rng), ay = axisDist(rng), az = axisDist(rng);
                // OpenGL skips tiny axes by its own threshold; keep clear of it except for the exact
                // zero axis, which both leave alone.
                if (kind == 5 && flip(rng)) {
                    ax = ay = az = 0.0f;
                } else if (std::sqrt(ax * ax + ay * ay + az * az) < 0.1f) {
                    ax = 1.0f;
                }
                const float angle = (kind == 4 && flip(rng)) ? 0.0f : degrees(rng);
                glRotatef(angle, ax, ay, az);
                ktRotatef(angle, ax, ay, az);
            } else if (kind <= 7) {
                const float sx = factor(rng) * (flip(rng) ? -1.0f : 1.0f);
                const float sy = factor(rng), sz = factor(rng);
                glScalef(sx, sy, sz);
                ktScalef(sx, sy, sz);
            } else if (kind == 8 && depth < 8) {
                glPushMatrix();
                ktPushMatrix();
                depth++;
            } else if (depth > 0) {
                glPopMatrix();
                ktPopMatrix();
                depth--;
            }
            SCOPED_TRACE(testing::Message() << "sequence " << seq << ", operation " << op);
            ASSERT_EQ(ktMatrixHeight, depth);
            expectMatrixNear(*getCurrentMatrix(), readGlMatrix(GL_MODELVIEW_MATRIX), 1e-5f);
            if (HasFailure()) return;
        }
        while (depth-- > 0) glPopMatrix();
    }
}

TEST_F(TransformsGl, RealToScreenMatchesGluProjectInXAndY) {
    std::mt19937 rng(77);
    std::uniform_real_distribution<double> u(-1.0, 1.0), t(0.0, 1.0);
    const GLdouble identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (const Camera& cam : kCameras) {
        loadCamera(cam);
        // The modelview matrix is not part of the projection: this rotation must not matter.
        glRotatef(33.0f, 1.0f, 2.0f, 3.0f);
        ktTransformsCaptureCamera();
        GLdouble proj[16];
        glGetDoublev(GL_PROJECTION_MATRIX, proj);

        const Vec3d forward = unit(cam.center - cam.eye);
        const Vec3d right = unit(cross(forward, cam.up));
        const Vec3d up = cross(right, forward);
        const double aspect = static_cast<double>(cam.vp[2]) / cam.vp[3];
        const double tanHalf = std::tan(cam.fov * M_PI / 360.0);
        bool zDiffers = false;
        for (int n = 0; n < 200; n++) {
            // A point inside the frustum, away from the near plane.
            const double depth = cam.zNear * 1.5 + t(rng) * (cam.zFar * 0.8 - cam.zNear * 1.5);
            const Vec3d p = cam.eye + forward * depth + up * (u(rng) * tanHalf * depth) +
                            right * (u(rng) * tanHalf * aspect * depth);
            GLdouble wx, wy, wz;
            ASSERT_EQ(gluProject(p.x, p.y, p.z, identity, proj, cam.vp, &wx, &wy, &wz), GL_TRUE);
            ktVec3f in(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z));
            ktVec3f out;
            ktTransformRealToScreen(in, out);
            SCOPED_TRACE(testing::Message() << "camera fov " << cam.fov << ", point " << n);
            EXPECT_NEAR(out.x, wx, 2e-3 * std::max(1.0, cam.vp[2] / 640.0));
            EXPECT_NEAR(out.y, wy, 2e-3 * std::max(1.0, cam.vp[3] / 480.0));
            // Screen z is (1 + clip z) / 2 with clip z undivided; OpenGL's depth divides by clip w,
            // which for a perspective camera is the distance along the view direction.
            const double w = dot(p - cam.eye, forward);
            const double clipZ = (2.0 * wz - 1.0) * w;
            EXPECT_NEAR(out.z, (1.0 + clipZ) * 0.5, 2e-5 * w);
            if (std::fabs(out.z - wz) > 0.1) zDiffers = true;
        }
        EXPECT_TRUE(zDiffers);
    }
}

}  // namespace
