// Cameras of the transform tests that run against real OpenGL and GLU: view frames of several
// shapes, loaded into OpenGL, its matrices read back, and a fixture that resets the software stack
// around each test and checks that OpenGL reported no error.
#ifndef KT_TESTS_SUPPORT_KTTESTCAMERA_H
#define KT_TESTS_SUPPORT_KTTESTCAMERA_H

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include "math/ktTransforms.h"
#include "support/ktTestMath.h"
#include "support/ktTestWindow.h"

// A view frame's camera: perspective and look-at both on the projection matrix.
struct Camera {
    int vp[4];
    double fov, zNear, zFar;
    Vec3d eye, center, up;
};

inline void loadCamera(const Camera& c) {
    glViewport(c.vp[0], c.vp[1], c.vp[2], c.vp[3]);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(c.fov, static_cast<double>(c.vp[2]) / c.vp[3], c.zNear, c.zFar);
    gluLookAt(c.eye.x, c.eye.y, c.eye.z, c.center.x, c.center.y, c.center.z, c.up.x, c.up.y, c.up.z);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

inline ktMatrix4f readGlMatrix(GLenum which) {
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

inline const Camera kCameras[] = {
    {{0, 0, 640, 480}, 45.0, 1.0, 100.0, {0, 0, 10}, {0, 0, 0}, {0, 1, 0}},
    {{0, 0, 1280, 1024}, 60.0, 0.5, 50.0, {3, 4, 12}, {0, 1, 0}, {0, 1, 0}},
    {{0, 0, 300, 700}, 30.0, 2.0, 200.0, {-8, 5, -6}, {1, -1, 2}, {0.2, 1, 0.1}},
    {{40, 30, 500, 300}, 75.0, 0.1, 20.0, {1, -2, 3}, {0, 0, 0}, {0, 0, 1}},
};

#endif
