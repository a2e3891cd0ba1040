// View frames read back from real OpenGL: camera, viewport, light and enables of the outermost
// frame against an independently built perspective and look-at, nesting, the depth warning, the
// lazy recomputation of the view constants, clearing and the buffer swap.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "framework/ktu.h"
#include "framework/ktuViewConstants.h"
#include "support/ktTestMath.h"
#include "support/ktTestWindow.h"

// Xlib defines macros (None, Bool) that clash with GoogleTest: included last.
#include <GL/glx.h>
#include <X11/Xutil.h>

namespace {

// Perspective of the given vertical field, then a camera at height `eye` above (cx, cy) looking
// straight down -z with y up: a pure translation.
Mat4d expectedProjection(double fov, double aspect, double nearZ, double farZ, double cx, double cy,
                         double eye) {
    double f = 1.0 / std::tan(fov * M_PI / 360.0);
    Mat4d p{};
    p.m[0][0] = f / aspect;
    p.m[1][1] = f;
    p.m[2][2] = (farZ + nearZ) / (nearZ - farZ);
    p.m[2][3] = 2.0 * farZ * nearZ / (nearZ - farZ);
    p.m[3][2] = -1.0;
    Mat4d t = Mat4d::identity();
    t.m[0][3] = -cx;
    t.m[1][3] = -cy;
    t.m[2][3] = -eye;
    return p * t;
}

void expectMatrix(GLenum which, const Mat4d& want) {
    GLdouble got[16];
    glGetDoublev(which, got);  // column-major
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++)
            EXPECT_NEAR(got[c * 4 + r], want.m[r][c], 1e-5 * (1.0 + std::fabs(want.m[r][c])))
                << r << "," << c;
}

GLint glInt(GLenum what) {
    GLint value = 0;
    glGetIntegerv(what, &value);
    return value;
}

// A window of the test's own size, and constants computed for it.
void prepare(int width, int height) {
    ktTestOpenWindow();
    ktuWindowWidth = width;
    ktuWindowHeight = height;
    ktuScreenFov = 60.0f;
    ktuWindowClear = true;
    viewCachedWidth = 0;
}

TEST(ViewFrame, OutermostFrameMapsThePlaneOntoTheWindow) {
    prepare(1024, 768);
    ktuOpenToviFrame();
    EXPECT_EQ(frameDepth, 1);
    EXPECT_EQ(viewCachedWidth, 1024);
    EXPECT_EQ(viewCachedHeight, 768);
    expectMatrix(GL_PROJECTION_MATRIX,
                 expectedProjection(60, 1024.0 / 768.0, viewNear, viewFar, 512, 384, viewEyeDistance));
    expectMatrix(GL_MODELVIEW_MATRIX, Mat4d::identity());
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 1024);
    EXPECT_EQ(viewport[3], 768);

    // Corners of the plane z = 0 land on the window's corners.
    GLdouble model[16], proj[16], wx, wy, wz;
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, proj);
    gluProject(0, 0, 0, model, proj, viewport, &wx, &wy, &wz);
    EXPECT_NEAR(wx, 0.0, 1e-3);
    EXPECT_NEAR(wy, 0.0, 1e-3);
    gluProject(1024, 768, 0, model, proj, viewport, &wx, &wy, &wz);
    EXPECT_NEAR(wx, 1024.0, 1e-3);
    EXPECT_NEAR(wy, 768.0, 1e-3);

    GLfloat light[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, light);
    EXPECT_FLOAT_EQ(light[0], 512.0f);
    EXPECT_FLOAT_EQ(light[1], 384.0f);
    EXPECT_NEAR(light[2], 665.1f, 0.05f);
    EXPECT_EQ(light[3], 0.0f);
    for (GLenum cap : {GL_LIGHTING, GL_LIGHT0, GL_DEPTH_TEST, GL_COLOR_MATERIAL})
        EXPECT_TRUE(glIsEnabled(cap)) << cap;
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    const GLint states[][2] = {{GL_MATRIX_MODE, GL_MODELVIEW},
                               {GL_DEPTH_FUNC, GL_LEQUAL},
                               {GL_SHADE_MODEL, GL_SMOOTH},
                               {GL_COLOR_MATERIAL_FACE, GL_FRONT_AND_BACK},
                               {GL_COLOR_MATERIAL_PARAMETER, GL_AMBIENT_AND_DIFFUSE}};
    for (const auto& state : states) EXPECT_EQ(glInt(state[0]), state[1]) << state[0];
    ktuCloseToviFrame();
    EXPECT_EQ(frameDepth, 0);
}

// Both matrices, model-view first.
std::vector<GLdouble> matrices() {
    std::vector<GLdouble> both(32);
    glGetDoublev(GL_MODELVIEW_MATRIX, both.data());
    glGetDoublev(GL_PROJECTION_MATRIX, both.data() + 16);
    return both;
}

TEST(ViewFrame, NestedFramesKeepAndRestoreTheParentsMatrices) {
    prepare(800, 600);
    ktuOpenToviFrame();
    glTranslatef(1.0f, 2.0f, 3.0f);
    const std::vector<GLdouble> parent = matrices();
    ktuOpenToviFrame();
    EXPECT_EQ(matrices(), parent);
    glScalef(5.0f, 5.0f, 5.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    ktuCloseToviFrame();
    EXPECT_EQ(matrices(), parent);
    EXPECT_EQ(glInt(GL_MATRIX_MODE), GL_MODELVIEW);
    ktuCloseToviFrame();
}

TEST(ViewFrame, DepthWarningFromTheTwelfthLevelOn) {
    prepare(640, 480);
    ktuDebugLevel = 3;
    const std::string warn11 = "Warning, frameDepth already at 11\n\n";
    const std::string warn12 = "Warning, frameDepth already at 12\n\n";
    for (int levels : {11, 12, 13}) {
        testing::internal::CaptureStderr();
        for (int i = 0; i < levels; i++) ktuOpenToviFrame();
        std::string printed = testing::internal::GetCapturedStderr();
        EXPECT_EQ(printed, levels == 11 ? "" : levels == 12 ? warn11 : warn11 + warn12);
        for (int i = 0; i < levels; i++) ktuCloseToviFrame();
        EXPECT_EQ(frameDepth, 0);
    }
}

TEST(ViewFrame, ConstantsAreRecomputedOnlyWhenTheWindowSizeChanges) {
    prepare(640, 480);
    ktuOpenToviFrame();
    ktuCloseToviFrame();
    const float eye = viewEyeDistance, nearZ = viewNear, farZ = viewFar;

    viewEyeDistance = 123.0f;  // a second pass at the same size leaves the constants alone
    ktuOpenToviFrame();
    ktuCloseToviFrame();
    EXPECT_EQ(viewEyeDistance, 123.0f);
    viewEyeDistance = eye;

    // A new field of view alone: new projection angle, old distances.
    ktuScreenFov = 90.0f;
    ktuOpenToviFrame();
    EXPECT_EQ(viewEyeDistance, eye);
    expectMatrix(GL_PROJECTION_MATRIX, expectedProjection(90, 640.0 / 480.0, nearZ, farZ, 320, 240, eye));
    ktuCloseToviFrame();

    ktuWindowHeight = 240;  // a new size brings the field of view into the distances
    ktuOpenToviFrame();
    ktuCloseToviFrame();
    EXPECT_EQ(viewCachedHeight, 240);
    EXPECT_NEAR(viewEyeDistance, 120.0, 1e-3);  // tan(45) = 1
    ktuScreenFov = 60.0f;
}

// Red of a back-buffer pixel, read through OpenGL.
GLfloat backRed() {
    GLfloat rgba[4] = {0, 0, 0, 0};
    glReadPixels(2, 2, 1, 1, GL_RGBA, GL_FLOAT, rgba);
    return rgba[0];
}

// Red (0-255) of a pixel of what the X server shows in the window: only a swap puts it there.
unsigned windowRed() {
    glFinish();
    Display* display = glXGetCurrentDisplay();
    XSync(display, False);
    XImage* image = XGetImage(display, glXGetCurrentDrawable(), 2, 2, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return 999;
    unsigned long pixel = XGetPixel(image, 0, 0);
    unsigned red = static_cast<unsigned>((pixel & image->red_mask) * 255 / image->red_mask);
    XDestroyImage(image);
    return red;
}

TEST(ViewFrame, ClearsOnlyWhenAskedAndSwapsOnlyAtTheOutermostClose) {
    ASSERT_TRUE(pumpUntil([] {
        ktTestOpenWindow();
        return glutGet(GLUT_WINDOW_WIDTH) > 4;
    }));
    prepare(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
    glDisable(GL_SCISSOR_TEST);

    // Black on screen first.
    ktuWindowBgColor[0] = 0.0f;
    ktuOpenToviFrame();
    ktuCloseToviFrame();
    ASSERT_EQ(windowRed(), 0u);

    ktuWindowBgColor[0] = 1.0f;
    ktuOpenToviFrame();
    EXPECT_EQ(backRed(), 1.0f);
    ktuOpenToviFrame();
    ktuCloseToviFrame();
    EXPECT_EQ(windowRed(), 0u);  // a nested close does not swap
    ktuCloseToviFrame();
    EXPECT_EQ(windowRed(), 255u);

    // Without clearing, the frame draws over what the back buffer holds.
    ktuWindowClear = false;
    ktuWindowBgColor[0] = 0.0f;
    glClearColor(0.5f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ktuOpenToviFrame();
    EXPECT_NEAR(backRed(), 0.5f, 0.01f);
    ktuCloseToviFrame();
    ktuWindowClear = true;
}

}  // namespace
