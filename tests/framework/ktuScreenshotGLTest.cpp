// ktuSaveScreenshot against a real X server and OpenGL: a frame with known colours in three corners
// is drawn and swapped, saved between frames, and the file is read back with libpng.
#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/ktu.h"
#include "framework/ktuScreenshot.h"
#include "support/ktTestWindow.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // top row first, as stored in the file
    unsigned pixel(int x, int row) const {
        const unsigned char* p = &rgb[(static_cast<size_t>(row) * width + x) * 3];
        return (p[0] << 16) | (p[1] << 8) | p[2];
    }
};

bool readPng(const std::string& path, Picture& out) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.rgb.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr) != 0;
}

// Clears the back buffer to dark grey with a 4 x 4 coloured square in three corners, then swaps.
void showCornerFrame(int width, int height) {
    struct Square {
        int x, y;
        float r, g, b;
    };
    const Square squares[] = {{0, 0, 1, 0, 0}, {width - 4, 0, 0, 1, 0}, {0, height - 4, 0, 0, 1}};
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.25f, 0.25f, 0.25f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    for (const Square& s : squares) {
        glScissor(s.x, s.y, 4, 4);
        glClearColor(s.r, s.g, s.b, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);
    glutSwapBuffers();
    glFinish();
}

TEST(Screenshot, SavesTheWindowAtItsSizeTopRowFirst) {
    ktTestOpenWindow();
    ASSERT_TRUE(pumpUntil(isFullScreen));
    // Mesa resizes its buffers to the new window size at a swap: one frame first.
    glutSwapBuffers();
    const int width = glutGet(GLUT_WINDOW_WIDTH), height = glutGet(GLUT_WINDOW_HEIGHT);
    ASSERT_GT(width, 8);
    ASSERT_GT(height, 8);
    int grabRect[4] = {5, 6, 7, 8};
    ktuSetIntegerv(KTU_SCREEN_GRAB_RECT, grabRect);
    showCornerFrame(width, height);

    const std::string path = testing::TempDir() + "kt-screenshot-test.png";
    CaptureStderr();
    ASSERT_TRUE(ktuSaveScreenshot(path.c_str()));
    EXPECT_EQ(GetCapturedStderr(), "");

    Picture picture;
    ASSERT_TRUE(readPng(path, picture));
    EXPECT_EQ(picture.width, width);
    EXPECT_EQ(picture.height, height);
    const int bottom = height - 1;
    EXPECT_EQ(picture.pixel(0, bottom), 0xFF0000u) << "window bottom-left is the last row's first pixel";
    EXPECT_EQ(picture.pixel(width - 1, bottom), 0x00FF00u) << "bottom-right";
    EXPECT_EQ(picture.pixel(0, 0), 0x0000FFu) << "window top-left is the first row's first pixel";
    EXPECT_EQ(picture.pixel(width / 2, height / 2), 0x404040u);

    // The registry's screen-grab settings are not touched.
    int after[4] = {0, 0, 0, 0};
    ktuGetIntegerv(KTU_SCREEN_GRAB_RECT, after);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(after[k], grabRect[k]);
    EXPECT_EQ(ktuScreenGrabBuffer, nullptr);
    EXPECT_EQ(ktuScreenGrabFlipper, nullptr);
    std::remove(path.c_str());
}

TEST(Screenshot, FailuresReturnFalseWithOneLineAndLeaveNoFile) {
    ktTestOpenWindow();
    showCornerFrame(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
    struct Case {
        const char* what;
        std::string path;
        std::string reason;
    };
    const Case cases[] = {
        {"empty name", "", "no file name given"},
        {"missing directory", "/nonexistent-kt-dir/shot.png", "No such file or directory"},
        {"a directory", testing::TempDir(), "Is a directory"},
        {"full disk", "/dev/full", "No space left on device"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CaptureStderr();
        EXPECT_FALSE(ktuSaveScreenshot(c.path.c_str()));
        const std::string err = GetCapturedStderr();
        EXPECT_EQ(err.rfind("ktuSaveScreenshot: ", 0), 0u) << err;
        EXPECT_NE(err.find(c.reason), std::string::npos) << err;
        EXPECT_EQ(err.find('\n'), err.size() - 1) << "exactly one line: " << err;
    }
    EXPECT_EQ(access("/dev/full", F_OK), 0) << "a failed write must not remove a device";
    EXPECT_FALSE(ktuSaveScreenshot(nullptr));
}

}  // namespace
