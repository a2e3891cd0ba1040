// ktuOpen, the window-size setting and the orderly shut-down against a real X server and OpenGL.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#ifdef __GLIBC__
#include <malloc.h>
#endif
// The sanitizers replace the C library's allocator with their own.
#if defined(__SANITIZE_ADDRESS__)
#define KT_TEST_OWN_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KT_TEST_OWN_ALLOCATOR 1
#endif
#endif

#include "framework/ktu.h"
#include "framework/ktuMemory.h"
#include "support/ktTestWindow.h"

namespace {

// What an application finds after opening: the GL state it draws into, reports up to level 3
// printed, no screen-grab rectangle, one time step per frame, a 15 frames-per-second video rate.
TEST(Open, StartStateSeenThroughGLAndTheRegistry) {
    ktTestOpenWindow();
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

    testing::internal::CaptureStderr();
    ktuDebug(3, "level three");
    ktuDebug(4, "level four");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "level three\n");
    int rect[4] = {-1, -1, -1, -1};
    ktuGetIntegerv(KTU_SCREEN_GRAB_RECT, rect);
    for (int v : rect) EXPECT_EQ(v, 0);
    EXPECT_EQ(ktuGetInteger(KTU_TIME_STEP), 1);
    EXPECT_EQ(ktuGetInteger(KTU_VIDEO_FPS), 15);

    // Text set-up empties a font table that is in use.
    std::strcpy(ktutFontNames[7], "helvetica");
    ktutCurrentFont = 7;
    ktuTextInit();
    EXPECT_EQ(ktutCurrentFont, -1);
    EXPECT_EQ(ktutFontNames[7][0], '\0');
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

// After opening, a block of megabytes comes from the heap and stays with the process when freed:
// a renderer that allocates and frees such blocks on every frame then reuses their pages instead
// of faulting them in again.
#if defined(__GLIBC__) && !defined(KT_TEST_OWN_ALLOCATOR)
TEST(Open, KeepsFreedMemoryForTheNextFrame) {
    ktTestOpenWindow();
    if (ktuAllocatorConfigured()) GTEST_SKIP() << "the environment sets the allocator up";
    const size_t size = 16 << 20;
    const size_t mappings = mallinfo2().hblks;
    char* block = static_cast<char*>(std::malloc(size));
    ASSERT_NE(block, nullptr);
    std::memset(block, 1, size);
    EXPECT_EQ(mallinfo2().hblks, mappings) << "the block was mapped on its own";
    const size_t heap = mallinfo2().arena;
    std::free(block);
    EXPECT_EQ(mallinfo2().arena, heap) << "the freed block went back to the system";
}
#endif

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
