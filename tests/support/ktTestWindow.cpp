// Test rig: one framework window per test process.
#include "support/ktTestWindow.h"

#include <GL/freeglut.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "framework/ktu.h"

namespace {

int testWindow = 0;

void drawNothing() {}

}  // namespace

void ktTestPumpEvents(int rounds) {
    for (int r = 0; r < rounds; r++) {
        glutMainLoopEvent();
        usleep(10000);
    }
}

void ktTestOpenWindow() {
    if (testWindow == 0) {
        if (std::getenv("DISPLAY") == nullptr) {
            std::fputs("ktTestOpenWindow: DISPLAY is not set; run through scripts/with-xvfb.sh\n", stderr);
            std::exit(2);
        }
        ktuOpen();
        testWindow = glutGetWindow();
        glutDisplayFunc(drawNothing);
        // Keep the process alive when a test closes the window's event loop.
        glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
        for (int r = 0; r < 300 && ktuWindowWidth == 0; r++) ktTestPumpEvents(1);
    }
    glutSetWindow(testWindow);
}
