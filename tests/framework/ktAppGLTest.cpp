// Event dispatch of the GLUT callbacks to the registered application object, the drawing latch,
// registration and the full-screen toggle, against a real window.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "framework/ktApp.h"
#include "framework/ktu.h"
#include "support/ktTestWindow.h"

namespace {

// Records every hook call as its name and integer arguments; keys are recorded only.
class Recorder : public ktApp {
public:
    std::vector<std::string> calls;
    int depthWhileDrawing = -1;

    void log(std::string call, std::initializer_list<float> args) {
        for (float a : args) call += " " + std::to_string(static_cast<int>(a));
        calls.push_back(call);
    }
    void idle() override { log("idle", {}); }
    void draw() override {
        depthWhileDrawing = frameDepth;
        log("draw", {});
    }
    void resize(float x, float y, float w, float h) override {
        ktApp::resize(x, y, w, h);
        log("resize", {x, y, w, h});
    }
    void mouseMove(float x, float y) override { log("move", {x, y}); }
    void mouseDown(float x, float y, int b) override { log("down", {x, y, float(b)}); }
    void mouseDrag(float x, float y) override { log("drag", {x, y}); }
    void mouseDrag(float x, float y, int b) override { log("drag", {x, y, float(b)}); }
    void mouseUp(float x, float y, int b) override { log("up", {x, y, float(b)}); }
    void keyDown(char key) override { log("key", {float(key)}); }
    void specialKeyDown(int key) override { log("special", {float(key)}); }
};

TEST(Dispatch, CallbacksReachTheRegisteredObjectWithYUp) {
    ktTestOpenWindow();
    Recorder app;
    apps[glutGetWindow()] = &app;
    ktuWindowHeight = 480;
    aaLastMouseButton = 0;

    motion_cb(3, 4);  // no button seen yet: 0
    mouse_cb(0, GLUT_DOWN, 0, 0);
    mouse_cb(2, GLUT_UP, 10, 479);
    motion_cb(5, 5);
    mouse_cb(1, 7, 1, 1);  // neither press nor release: no call, but the button is kept
    motion_cb(-2, 500);
    passive_motion_cb(7, 470);
    keyboard_cb('a', 99, 99);
    keyboard_cb(200, 0, 0);
    special_key_cb(GLUT_KEY_F5, 99, 99);
    reshape_cb(300, 200);
    idle_cb();

    const std::vector<std::string> expected = {
        "drag 3 475",   "drag 3 475 0", "down 0 479 0",       "up 10 0 2", "drag 5 474",
        "drag 5 474 2", "drag -2 -21",  "drag -2 -21 1",      "move 7 9",  "key 97",
        "key -56",      "special 5",    "resize 0 0 300 200", "idle"};
    EXPECT_EQ(app.calls, expected);
    EXPECT_EQ(aaLastMouseButton, 1);
    EXPECT_EQ(ktuWindowWidth, 300);
    EXPECT_EQ(ktuWindowHeight, 200);
    apps[glutGetWindow()] = nullptr;
}

TEST(Dispatch, DrawingWaitsForANonZeroWidthAndThenStaysOn) {
    ktTestOpenWindow();
    Recorder app;  // clears the latch
    apps[glutGetWindow()] = &app;
    ktuWindowWidth = 0;
    ktuWindowHeight = 200;
    display_cb();
    EXPECT_TRUE(app.calls.empty());
    EXPECT_EQ(aaValidWindowSize, 0);

    ktuWindowWidth = 300;
    display_cb();
    EXPECT_EQ(app.calls, std::vector<std::string>{"draw"});
    EXPECT_EQ(app.depthWhileDrawing, 1);
    EXPECT_EQ(frameDepth, 0);

    ktuWindowWidth = 0;  // the latch is never cleared
    display_cb();
    EXPECT_EQ(app.calls.size(), 2u);
    apps[glutGetWindow()] = nullptr;
}

TEST(Dispatch, AWindowWithoutAnObjectIgnoresEverything) {
    ktTestOpenWindow();
    apps[glutGetWindow()] = nullptr;
    ktuWindowWidth = 640;
    ktuWindowHeight = 480;
    aaLastMouseButton = 0;
    display_cb();
    idle_cb();
    mouse_cb(2, GLUT_DOWN, 1, 1);
    motion_cb(1, 1);
    passive_motion_cb(1, 1);
    keyboard_cb(27, 0, 0);
    special_key_cb(GLUT_KEY_F1, 0, 0);
    reshape_cb(10, 10);
    EXPECT_EQ(ktuWindowWidth, 640);
    EXPECT_EQ(aaLastMouseButton, 0);
    EXPECT_EQ(aafullScreen, 1);
    EXPECT_EQ(frameDepth, 0);
}

TEST(Registration, SubStartRegistersAndOversizedWindowIdsAreReported) {
    ktTestOpenWindow();
    int main = glutGetWindow();
    Recorder app;
    app.subStart();
    EXPECT_EQ(apps[main], &app);
    EXPECT_TRUE(app.calls.empty());  // neither sized nor focused

    // Windows up to identifier 10; the last does not fit the registry.
    std::vector<int> extra;
    while (glutGetWindow() < ktuMaxWindows) {
        extra.push_back(glutCreateWindow("extra"));
        glutDisplayFunc([] {});
    }
    Recorder outside;
    testing::internal::CaptureStderr();
    outside.subStart();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Window 10 does not fit the application registry\n");
    reshape_cb(10, 10);  // finds no object
    EXPECT_TRUE(outside.calls.empty());
    for (int id : extra) glutDestroyWindow(id);
    glutSetWindow(main);
    glutDisplayFunc([] {});
    glutReshapeFunc(reshape);
    glutIdleFunc(nullptr);
    apps[main] = nullptr;
}

TEST(DefaultKeys, KeysOtherThanEscapeAndF1DoNothing) {
    ktTestOpenWindow();
    ktApp app;
    apps[glutGetWindow()] = &app;
    ktuWindowWidth = 777;
    keyboard_cb('q', 0, 0);
    special_key_cb(GLUT_KEY_F2, 0, 0);
    EXPECT_EQ(aafullScreen, 1);
    EXPECT_EQ(aahaveShrunk, 0);
    EXPECT_EQ(ktuWindowWidth, 777);  // Escape would have asked for 100
    apps[glutGetWindow()] = nullptr;
}

// Runs last: it leaves the window windowed.
TEST(FullScreenToggle, InsetFirstThenTheGeometryLastLeftFrom) {
    ktTestOpenWindow();
    ASSERT_TRUE(pumpUntil(isFullScreen));
    const int sw = glutGet(GLUT_SCREEN_WIDTH), sh = glutGet(GLUT_SCREEN_HEIGHT);
    ktApp app;
    apps[glutGetWindow()] = &app;
    glutReshapeFunc(reshape_cb);
    reshape_cb(sw, sh);

    special_key_cb(GLUT_KEY_F1, 0, 0);
    EXPECT_EQ(aafullScreen, 0);
    EXPECT_EQ(aahaveShrunk, 1);
    const WindowGeometry inset{35, 55, sw - 70, sh - 90};
    EXPECT_TRUE((WindowGeometry{aaWinX, aaWinY, aaWinW, aaWinH}) == inset);
    EXPECT_EQ(aafullWidth, sw);
    EXPECT_EQ(aafullHeight, sh);
    EXPECT_EQ(ktuWindowWidth, sw - 70);  // at once, before the window system answers
    ASSERT_TRUE(pumpUntil([&] { return currentGeometry() == inset && app.H == sh - 90; }));
    EXPECT_EQ(app.W, sw - 70);

    // Move the window, then enter and leave full screen: it comes back where it was.
    glutPositionWindow(100, 120);
    glutReshapeWindow(400, 300);
    const WindowGeometry moved{100, 120, 400, 300};
    ASSERT_TRUE(pumpUntil([&] { return currentGeometry() == moved && app.W == 400; }));
    special_key_cb(GLUT_KEY_F1, 0, 0);
    EXPECT_EQ(aafullScreen, 1);
    EXPECT_TRUE((WindowGeometry{aaWinX, aaWinY, aaWinW, aaWinH}) == moved);
    ASSERT_TRUE(pumpUntil([&] { return isFullScreen() && app.W == sw; }));
    special_key_cb(GLUT_KEY_F1, 0, 0);
    ASSERT_TRUE(pumpUntil([&] { return currentGeometry() == moved && app.W == 400; }));

    // Two presses within one event pass: the later one wins.
    special_key_cb(GLUT_KEY_F1, 0, 0);
    ASSERT_TRUE(pumpUntil(isFullScreen));
    special_key_cb(GLUT_KEY_F1, 0, 0);
    special_key_cb(GLUT_KEY_F1, 0, 0);
    ktTestPumpEvents(40);
    EXPECT_TRUE(isFullScreen());
    apps[glutGetWindow()] = nullptr;
}

}  // namespace
