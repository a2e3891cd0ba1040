// The software stack and camera snapshot checked against real OpenGL (Mesa) and GLU: the same call
// sequences applied to OpenGL's model-view matrix, window positions against gluProject, and the
// capture's projection, viewport and near-plane point against what OpenGL and gluUnProject report.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "math/ktTransforms.h"
#include "support/ktTestMath.h"
#include "support/ktTestWindow.h"

namespace {

// A view frame's camera: perspective and look-at both on the projection matrix.
struct Camera {
    int vp[4];
    double fov, zNear, zFar;
    Vec3d eye, center, up;
};

void loadCamera(const Camera& c) {
    glViewport(c.vp[0], c.vp[1], c.vp[2], c.vp[3]);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(c.fov, static_cast<double>(c.vp[2]) / c.vp[3], c.zNear, c.zFar);
    gluLookAt(c.eye.x, c.eye.y, c.eye.z, c.center.x, c.center.y, c.center.z, c.up.x, c.up.y, c.up.z);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

ktMatrix4f readGlMatrix(GLenum which) {
    GLfloat gl[16];
    glGetFloatv(which, gl);
    ktMatrix4f a;
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++) a.m[i][j] = gl[4 * j + i];
    return a;
}

class TransformsGl : public testing::Test {
protected:
    void SetUp() override {
        ktTestOpenWindow();
        ktMatrixHeight = 0;
        ktTransformsInit();
    }
    void TearDown() override {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        ktMatrixHeight = 0;
        ktTransformsInit();
    }
};

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

const Camera kCameras[] = {
    {{0, 0, 640, 480}, 45.0, 1.0, 100.0, {0, 0, 10}, {0, 0, 0}, {0, 1, 0}},
    {{0, 0, 1280, 1024}, 60.0, 0.5, 50.0, {3, 4, 12}, {0, 1, 0}, {0, 1, 0}},
    {{0, 0, 300, 700}, 30.0, 2.0, 200.0, {-8, 5, -6}, {1, -1, 2}, {0.2, 1, 0.1}},
    {{40, 30, 500, 300}, 75.0, 0.1, 20.0, {1, -2, 3}, {0, 0, 0}, {0, 0, 1}},
};

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

TEST_F(TransformsGl, CaptureReadsProjectionViewportAndNearPoint) {
    const Vec3d shift = {0.5, -2.0, 3.0};
    for (const Camera& cam : kCameras) {
        if (cam.vp[0] != 0 || cam.vp[1] != 0) continue;  // the near point assumes a viewport at (0, 0)
        SCOPED_TRACE(testing::Message() << "camera fov " << cam.fov);
        loadCamera(cam);
        glTranslatef(static_cast<float>(shift.x), static_cast<float>(shift.y), static_cast<float>(shift.z));
        glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
        ktTransformsCaptureCamera();

        for (int k = 0; k < 4; k++) EXPECT_EQ(view[k], cam.vp[k]);
        // Row-major copy of OpenGL's column-major projection, the modelview left out.
        GLdouble proj[16], mv[16];
        glGetDoublev(GL_PROJECTION_MATRIX, proj);
        glGetDoublev(GL_MODELVIEW_MATRIX, mv);
        for (int i = 0; i < 4; i++)
            for (int j = 0; j < 4; j++) EXPECT_EQ(cameraMatrix.m[i][j], static_cast<float>(proj[4 * j + i]));
        // A perspective camera's bottom row gives clip w = distance along the view direction.
        const Vec3d forward = unit(cam.center - cam.eye);
        EXPECT_NEAR(cameraMatrix.m[3][0], forward.x, 1e-6);
        EXPECT_NEAR(cameraMatrix.m[3][1], forward.y, 1e-6);
        EXPECT_NEAR(cameraMatrix.m[3][2], forward.z, 1e-6);
        EXPECT_NEAR(cameraMatrix.m[3][3], -dot(forward, cam.eye), 1e-5 * std::sqrt(dot(cam.eye, cam.eye)));

        // cameraPos is gluUnProject of the viewport centre at depth 0 ...
        GLdouble ox, oy, oz;
        ASSERT_EQ(gluUnProject(cam.vp[2] / 2.0, cam.vp[3] / 2.0, 0.0, mv, proj, cam.vp, &ox, &oy, &oz),
                  GL_TRUE);
        const double tol = 1e-5 * std::max(1.0, std::sqrt(ox * ox + oy * oy + oz * oz));
        EXPECT_NEAR(cameraPos.x, ox, tol);
        EXPECT_NEAR(cameraPos.y, oy, tol);
        EXPECT_NEAR(cameraPos.z, oz, tol);
        // ... which is the point on the near plane straight ahead of the eye, taken back through
        // the modelview (translate by shift, then a quarter turn about z: inverse (x, y) -> (y, -x)).
        const Vec3d q = cam.eye + forward * cam.zNear - shift;
        EXPECT_NEAR(cameraPos.x, q.y, 1e-4);
        EXPECT_NEAR(cameraPos.y, -q.x, 1e-4);
        EXPECT_NEAR(cameraPos.z, q.z, 1e-4);
    }
}

TEST_F(TransformsGl, SingularCaptureKeepsCameraPosButTakesTheRest) {
    const Camera& good = kCameras[0];
    loadCamera(good);
    ktTransformsCaptureCamera();
    EXPECT_NEAR(cameraPos.z, 9.0f, 1e-4f);  // eye at z = 10, near plane 1 ahead
    // A value no capture computes, so that a stale result of the unprojection cannot pass for it.
    cameraPos.set(123.0f, -456.0f, 789.0f);
    const ktVec3f before = cameraPos;

    // Singular modelview, then singular projection: the unprojection fails both times.
    const Camera& other = kCameras[2];
    for (int pass = 0; pass < 2; pass++) {
        SCOPED_TRACE(testing::Message() << "pass " << pass);
        loadCamera(other);
        if (pass == 0) {
            glScalef(0.0f, 0.0f, 0.0f);
        } else {
            glMatrixMode(GL_PROJECTION);
            glScalef(1.0f, 0.0f, 1.0f);
            glMatrixMode(GL_MODELVIEW);
        }
        ktTransformsCaptureCamera();
        EXPECT_EQ(std::memcmp(&cameraPos, &before, sizeof before), 0);
        for (int k = 0; k < 4; k++) EXPECT_EQ(view[k], other.vp[k]);
        expectMatrixNear(cameraMatrix, readGlMatrix(GL_PROJECTION_MATRIX), 0.0f);
    }

    // A later regular capture moves it again.
    loadCamera(other);
    ktTransformsCaptureCamera();
    EXPECT_GT(std::fabs(cameraPos.x - before.x), 1.0f);
}

}  // namespace
