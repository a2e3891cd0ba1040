// Helpers of the framework's window tests: wait for the real window to reach a state.
#ifndef KT_TESTS_FRAMEWORK_FWTESTUTIL_H
#define KT_TESTS_FRAMEWORK_FWTESTUTIL_H

#include <GL/freeglut.h>

#include "support/ktTestWindow.h"

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
