// Test rig for code that needs a real window and OpenGL context: opens the framework's window once
// per process (ktuOpen) on the X server in DISPLAY, lets GLUT deliver its pending events, and waits
// for the window to reach a state.
#ifndef KT_TESTS_SUPPORT_KTTESTWINDOW_H
#define KT_TESTS_SUPPORT_KTTESTWINDOW_H

#include <GL/freeglut.h>

// Calls ktuOpen the first time, installs a display callback that draws nothing when none is set,
// and pumps events until the first reshape has reported the window size. The GL context is current
// afterwards. Later calls only make the context current again.
void ktTestOpenWindow();

// Opens the window and draws onto window pixels: a size x size viewport, an orthographic
// projection onto it (depth -10 to 10), an identity model-view matrix, no lighting or face culling,
// the framework's transform stack reset with this camera captured, and no pending GL error.
void ktTestPixelView(int size);

// Lets GLUT process its event queue `rounds` times (glutMainLoopEvent), sleeping 10 ms between.
void ktTestPumpEvents(int rounds);

// Pumps GLUT events (10 ms apart, at most 3 s) until `done` holds; returns whether it did.
template <typename Done>
bool pumpUntil(Done done) {
    for (int round = 0; round < 300; round++) {
        if (done()) return true;
        ktTestPumpEvents(1);
    }
    return done();
}

struct WindowGeometry {
    int x, y, width, height;
    bool operator==(const WindowGeometry& o) const {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
};

inline WindowGeometry currentGeometry() {
    return {glutGet(GLUT_WINDOW_X), glutGet(GLUT_WINDOW_Y), glutGet(GLUT_WINDOW_WIDTH),
            glutGet(GLUT_WINDOW_HEIGHT)};
}

inline bool isFullScreen() {
    return glutGet(GLUT_FULL_SCREEN) != 0 &&
           currentGeometry() == WindowGeometry{0, 0, glutGet(GLUT_SCREEN_WIDTH), glutGet(GLUT_SCREEN_HEIGHT)};
}

#endif
