// Settings registry, diagnostics, application-object defaults and the view-constant arithmetic,
// all without a window: the registry reaches only globals, and window requests are ignored until
// ktuOpen has created the window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/ktApp.h"
#include "framework/ktu.h"
#include "framework/ktuScreenshot.h"
#include "framework/ktuViewConstants.h"
#include "fuzz/ktSettingsProgram.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

const std::string badGet = "Bad parameter passed to ktuGetIntegerv\n";
const std::string badSet = "Bad parameter passed to ktuSetIntegerv\n";

// Every global the registry can reach, so that a sweep can tell whether anything changed.
std::vector<int*> reachableGlobals() {
    std::vector<int*> all;
    for (const ktSettingRow& row : ktSettingTable())
        all.insert(all.end(), row.globals.begin(), row.globals.end());
    return all;
}

// Runs first: nothing has touched the globals yet.
TEST(StartValues, HeldFromLoadBeforeOpen) {
    EXPECT_EQ(ktuGetInteger(KTU_TIME_STEP), 1);
    EXPECT_EQ(ktuDisplayMode, 18u);
    EXPECT_EQ(aafullScreen, 1);
    EXPECT_EQ(ktuGetInteger(KTU_WINDOW_WIDTH), 0);
    EXPECT_EQ(ktuGetInteger(KTU_VIDEO_WIDTH), 0);
    EXPECT_EQ(ktuGetInteger(KTU_VIDEO_ARRAY_HEIGHT), 0);
    EXPECT_EQ(frameDepth, 0);
    EXPECT_EQ(viewCenterX, 320.0f);
    EXPECT_EQ(viewCenterY, 240.0f);
    EXPECT_EQ(viewEyeDistance, 100.0f);
    EXPECT_EQ(viewNear, 10.0f);
    EXPECT_EQ(viewFar, 1000.0f);
    EXPECT_EQ(viewAspect, 1.3333334f);
    EXPECT_EQ(viewCachedWidth, 0);
    EXPECT_EQ(viewCachedHeight, 0);
}

TEST(Registry, ReadsAndWritesEveryIdentifierInTableOrder) {
    ktuDebugLevel = 3;
    for (const ktSettingRow& row : ktSettingTable()) {
        SCOPED_TRACE(row.id);
        int n = static_cast<int>(row.globals.size());
        for (int i = 0; i < n; i++) *row.globals[i] = 500 + i;
        int got[5] = {-7, -7, -7, -7, -7};
        ktuGetIntegerv(row.id, got);
        for (int i = 0; i < 5; i++) EXPECT_EQ(got[i], i < n ? 500 + i : -7) << "slot " << i;

        const int put[4] = {3, -40, 2000000000, 9};
        CaptureStderr();
        ktuSetIntegerv(row.id, put);
        EXPECT_EQ(GetCapturedStderr(), row.writable ? "" : badSet);
        for (int i = 0; i < n; i++) EXPECT_EQ(*row.globals[i], row.writable ? put[i] : 500 + i);
        ktuDebugLevel = 3;
    }
}

TEST(Registry, SweepOverAllIdentifiersAcceptsExactlyTheTable) {
    std::vector<int*> globals = reachableGlobals();
    ktuDebugLevel = 3;
    int readable = 0, writable = 0;
    CaptureStderr();
    for (int id = -32768; id <= 32767; id++) {
        int got[4] = {0x5a5a5a5a, 0x5a5a5a5a, 0x5a5a5a5a, 0x5a5a5a5a};
        for (int* g : globals) *g = 3;  // 3 keeps the debug level printing reports
        ktuGetIntegerv(static_cast<short>(id), got);
        if (got[0] != 0x5a5a5a5a) readable++;

        const int put[4] = {4, 4, 4, 4};
        ktuSetIntegerv(static_cast<short>(id), put);
        for (int* g : globals) {
            if (*g != 3) {
                writable++;
                break;
            }
        }
    }
    std::string messages = GetCapturedStderr();
    EXPECT_EQ(readable, 22);
    EXPECT_EQ(writable, 17);
    size_t gets = 0, sets = 0;
    for (size_t at = 0; (at = messages.find(badGet, at)) != std::string::npos; at += badGet.size()) gets++;
    for (size_t at = 0; (at = messages.find(badSet, at)) != std::string::npos; at += badSet.size()) sets++;
    EXPECT_EQ(gets, 65536u - 22u);
    EXPECT_EQ(sets, 65536u - 17u);
    EXPECT_EQ(messages.size(), gets * badGet.size() + sets * badSet.size());
}

TEST(Registry, BadIdentifiersAreReportedAndChangeNothing) {
    ktuDebugLevel = 3;
    ktuWindowWidth = 640;
    int got[2] = {11, 12};
    CaptureStderr();
    ktuGetIntegerv(30, got);
    ktuSetIntegerv(KTU_WINDOW_WIDTH, got);
    ktuGetIntegerv(KTU_DEBUG_LEVEL, nullptr);
    ktuSetIntegerv(KTU_TIME_STEP, nullptr);
    EXPECT_EQ(GetCapturedStderr(), badGet + badSet + badGet + badSet);
    CaptureStderr();
    EXPECT_EQ(got[0], 11);
    EXPECT_EQ(got[1], 12);
    EXPECT_EQ(ktuWindowWidth, 640);
    EXPECT_EQ(ktuGetInteger(-1), 0);  // reported, and 0 stands in for the value
    const int rect[4] = {1, 2, 3, 4};
    ktuSetIntegerv(KTU_SCREEN_GRAB_RECT, rect);
    EXPECT_EQ(ktuGetInteger(KTU_SCREEN_GRAB_RECT), 1);  // the first of several values
    EXPECT_EQ(ktuGetInteger(KTU_SCREEN_GRAB_HEIGHT), 4);
    EXPECT_EQ(GetCapturedStderr(), badGet);

    ktuDebugLevel = 1;  // silences every level-2 report
    CaptureStderr();
    ktuGetIntegerv(30, got);
    EXPECT_EQ(GetCapturedStderr(), "");
    ktuDebugLevel = 3;
}

TEST(Registry, WindowSizeWriteTakesEffectAtOnceAndReleasesTheGrabBuffers) {
    ktuScreenGrabBuffer = static_cast<unsigned char*>(std::malloc(16));
    ktuScreenGrabFlipper = static_cast<unsigned char*>(std::malloc(16));
    const int size[2] = {640, 480};
    ktuSetIntegerv(KTU_WINDOW_SIZE, size);
    EXPECT_EQ(ktuGetInteger(KTU_WINDOW_WIDTH), 640);
    EXPECT_EQ(ktuGetInteger(KTU_WINDOW_HEIGHT), 480);
    EXPECT_EQ(ktuScreenGrabBuffer, nullptr);
    EXPECT_EQ(ktuScreenGrabFlipper, nullptr);
    ktuSetIntegerv(KTU_WINDOW_SIZE, size);  // nothing left to release
    EXPECT_EQ(ktuScreenGrabBuffer, nullptr);
}

TEST(Screenshot, WithoutAWindowFailsWithOneLineAndWritesNothing) {
    ktuDebugLevel = 3;
    const std::string path = testing::TempDir() + "kt-no-window.png";
    CaptureStderr();
    EXPECT_FALSE(ktuSaveScreenshot(path.c_str()));
    EXPECT_EQ(GetCapturedStderr(), "ktuSaveScreenshot: no window yet (ktuOpen has not run)\n");
    EXPECT_EQ(std::fopen(path.c_str(), "rb"), nullptr);
}

TEST(Debug, PrintsWhenTheLevelIsWithinTheThreshold) {
    struct Case {
        int threshold;
        short level;
        bool printed;
    };
    const Case cases[] = {{3, 2, true},  {3, 3, true}, {3, 4, false},  {1, 2, false},
                          {0, 2, false}, {5, 5, true}, {-1, -1, true}, {-1, 0, false}};
    for (const Case& c : cases) {
        ktuDebugLevel = c.threshold;
        CaptureStderr();
        ktuDebug(c.level, "report");
        EXPECT_EQ(GetCapturedStderr(), c.printed ? "report\n" : "")
            << "threshold " << c.threshold << " level " << c.level;
    }
    ktuDebugLevel = 3;
}

TEST(DebugDeathTest, LevelOneEndsTheProcessWithStatusMinusOne) {
    ktuDebugLevel = 3;
    EXPECT_EXIT(ktuDebug(1, "fatal report"), testing::ExitedWithCode(255), "^fatal report\n$");
    ktuDebugLevel = 0;
    EXPECT_EXIT(ktuDebug(1, "fatal report"), testing::ExitedWithCode(255), "^$");
    ktuDebugLevel = 3;
}

TEST(App, ConstructorDefaultsAndPointInsideBounds) {
    aaValidWindowSize = 1;
    aaGrabCount = 0;
    ktApp app;
    EXPECT_EQ(app.X, 0.0f);
    EXPECT_EQ(app.Y, 0.0f);
    EXPECT_EQ(app.W, 100.0f);
    EXPECT_EQ(app.H, 100.0f);
    EXPECT_EQ(aaValidWindowSize, 0);
    EXPECT_EQ(aaGrabCount, -1);

    app.resize(50.0f, 60.0f, 640.0f, 480.0f);  // X and Y do not shift the region
    struct Case {
        float x, y;
        bool inside;
    };
    const float nan = std::nanf("");
    const Case cases[] = {{0, 0, true},    {639.9f, 479.9f, true}, {640, 0, false},
                          {0, 480, false}, {-0.5f, 1, false},      {1, -0.001f, false},
                          {nan, 1, false}, {1, nan, false},        {50, 60, true}};
    for (const Case& c : cases) EXPECT_EQ(app.pointInside(c.x, c.y), c.inside) << c.x << ", " << c.y;
}

}  // namespace
