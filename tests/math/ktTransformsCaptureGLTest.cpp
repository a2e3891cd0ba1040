// The camera capture checked against real OpenGL and GLU: the projection, viewport and near-plane
// point against what OpenGL and gluUnProject report, and singular matrices.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "support/ktTestCamera.h"

namespace {

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
