// Test rig: one framework window per test process.
#include "support/ktTestWindow.h"

#include <GL/freeglut.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "framework/ktu.h"
#include "math/ktTransforms.h"

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

void ktTestPixelView(int size) {
    ktTestOpenWindow();
    glViewport(0, 0, size, size);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, size, 0, size, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    ktTransformsInit();
    ktMatrixHeight = 0;
    ktTransformsCaptureCamera();
    while (glGetError() != GL_NO_ERROR) {
    }
}
