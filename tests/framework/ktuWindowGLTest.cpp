// ktuOpen, the window-size setting and the orderly shut-down against a real X server and OpenGL.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/ktu.h"
#include "support/ktTestWindow.h"

namespace {

TEST(Open, GivesEveryGlobalItsStartValue) {
    ktTestOpenWindow();
    EXPECT_EQ(frameDepth, 0);
    EXPECT_STREQ(ktuResourceLocation, "C:/ktWindow/");
    EXPECT_EQ(ktuDebugLevel, 3);
    EXPECT_NE(ktuDebugStr, nullptr);
    EXPECT_TRUE(ktuWindowClear);
    for (float c : ktuWindowBgColor) EXPECT_EQ(c, 0.0f);
    EXPECT_EQ(ktuScreenFov, 60.0f);
    EXPECT_EQ(ktuScreenNear, 1.5f);
    EXPECT_EQ(ktuScreenFar, 20.0f);
    EXPECT_FALSE(ktuVideoOpened);
    EXPECT_FALSE(ktuVideoMirrorImage);
    EXPECT_FALSE(ktuVideoProxyRepeating);
    EXPECT_EQ(ktuVideoProxyCount, -1);
    EXPECT_EQ(ktuVideoFPS, 15);
    EXPECT_EQ(ktuTesselator, nullptr);
    EXPECT_EQ(ktuScreenGrabQuality, 100);
    EXPECT_EQ(ktuScreenGrabFormat, 40);
    EXPECT_TRUE(ktuScreenGrabFlip);
    EXPECT_EQ(ktuScreenGrabBuffer, nullptr);
    int rect[4] = {-1, -1, -1, -1};
    ktuGetIntegerv(KTU_SCREEN_GRAB_RECT, rect);
    for (int v : rect) EXPECT_EQ(v, 0);
    EXPECT_EQ(ktuTimeStep, 1);

    // Font table, also after a second emptying.
    for (int pass = 0; pass < 2; pass++) {
        EXPECT_TRUE(ktuTextInited);
        EXPECT_EQ(ktutCurrentFont, -1);
        for (int slot = 0; slot < ktutFontSlots; slot++) {
            EXPECT_EQ(ktutFontList[slot], nullptr);
            EXPECT_EQ(ktutFontNames[slot][0], '\0');
        }
        std::strcpy(ktutFontNames[7], "helvetica");
        ktutCurrentFont = 7;
        ktuTextInit();
    }

    EXPECT_TRUE(glIsEnabled(GL_AUTO_NORMAL));
    EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_TRUE(glutGet(GLUT_WINDOW_DOUBLEBUFFER));
    EXPECT_GT(glutGet(GLUT_WINDOW_DEPTH_SIZE), 0);
}

TEST(Open, StartsFullScreenAndReshapeTracksTheSize) {
    ktTestOpenWindow();
    ASSERT_TRUE(pumpUntil([] { return isFullScreen() && ktuWindowWidth == glutGet(GLUT_SCREEN_WIDTH); }));
    EXPECT_EQ(ktuWindowHeight, glutGet(GLUT_SCREEN_HEIGHT));
    reshape(321, 123);
    EXPECT_EQ(ktuWindowWidth, 321);
    EXPECT_EQ(ktuWindowHeight, 123);
}

TEST(Open, ASecondOpenIsRefused) {
    ktTestOpenWindow();
    testing::internal::CaptureStderr();
    ktuOpen();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "ktuOpen called more than once\n");
}

// Writing the size while full screen must still give that exact size: freeglut would restore its
// pre-full-screen size instead if the request were not held until the window is out.
TEST(WindowSize, WritingItResizesTheRealWindowAndLeavesFullScreen) {
    ktTestOpenWindow();
    ASSERT_TRUE(pumpUntil(isFullScreen));
    const int size[2] = {640, 480};
    ktuSetIntegerv(KTU_WINDOW_SIZE, size);
    EXPECT_EQ(ktuGetInteger(KTU_WINDOW_WIDTH), 640);
    ASSERT_TRUE(pumpUntil([] { return glutGet(GLUT_WINDOW_WIDTH) == 640; }));
    EXPECT_EQ(glutGet(GLUT_WINDOW_HEIGHT), 480);
    EXPECT_EQ(glutGet(GLUT_FULL_SCREEN), 0);
    EXPECT_EQ(ktuWindowWidth, 640);  // the reshape confirmed it

    // A size the window system cannot take is stored as given; the window gets one pixel.
    const int empty[2] = {0, -5};
    ktuSetIntegerv(KTU_WINDOW_SIZE, empty);
    EXPECT_EQ(ktuWindowHeight, -5);
    ASSERT_TRUE(pumpUntil([] { return glutGet(GLUT_WINDOW_WIDTH) == 1; }));
    EXPECT_EQ(glutGet(GLUT_WINDOW_HEIGHT), 1);
}

TEST(CloseDeathTest, EndsWithStatusZeroOnTheFifthIdleTurnAndRestartsTheCount) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ktTestOpenWindow();
            ktuClose();
            if (ktuWindowWidth != 100 || ktuWindowHeight != 100) std::exit(3);
            for (int turn = 0; turn < 4; turn++) winddown_cb();
            ktuClose();
            for (int turn = 0; turn < 4; turn++) winddown_cb();
            std::fputs("still running\n", stderr);
            winddown_cb();
            std::exit(4);
        },
        testing::ExitedWithCode(0), "still running");
    // ktuClose installs the countdown as the idle callback: the main loop ends the process.
    EXPECT_EXIT(
        {
            ktTestOpenWindow();
            ktuClose();
            glutMainLoop();
            std::exit(5);
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
