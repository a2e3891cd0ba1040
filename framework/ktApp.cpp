// ktApp: the default behaviour of an application object. It covers the whole window; its hooks
// do nothing except Escape (orderly shut-down) and F1 (full-screen toggle, ktAppCallbacks.cpp).
// selfStart and subStart register the object for the current window and install the callbacks.
#include "framework/ktApp.h"

#include <GL/freeglut.h>

#include <cstdio>

#include "framework/ktAppFullScreen.h"
#include "framework/ktu.h"

namespace {

const char escapeKey = 27;

// Stores the object in `apps` under the current window; an identifier that does not fit the
// registry is reported and not stored, so that window's callbacks find no object.
void registerForCurrentWindow(ktApp* app) {
    int window = glutGetWindow();
    if (window < 0 || window >= ktuMaxWindows) {
        char report[80];
        std::snprintf(report, sizeof report, "Window %d does not fit the application registry", window);
        ktuDebug(2, report);
        return;
    }
    apps[window] = app;
}

void installCallbacks() {
    glutDisplayFunc(display_cb);
    glutMouseFunc(mouse_cb);
    glutMotionFunc(motion_cb);
    glutPassiveMotionFunc(passive_motion_cb);
    glutIdleFunc(idle_cb);
    glutKeyboardFunc(keyboard_cb);
    glutSpecialFunc(special_key_cb);
    glutReshapeFunc(reshape_cb);
}

}  // namespace

ktApp::ktApp() : X(0.0f), Y(0.0f), W(100.0f), H(100.0f) {
    aaGrabCount = -1;
    aaValidWindowSize = 0;
}

void ktApp::selfStart() {
    registerForCurrentWindow(this);
    installCallbacks();
    int size[2] = {0, 0};
    ktuGetIntegerv(KTU_WINDOW_SIZE, size);
    resize(0.0f, 0.0f, static_cast<float>(size[0]), static_cast<float>(size[1]));
    setFocus(true);
    glutMainLoop();
}

void ktApp::subStart() {
    registerForCurrentWindow(this);
    installCallbacks();
}

void ktApp::setFocus(bool focused) { (void)focused; }

void ktApp::setParent(void* parent) { (void)parent; }

void ktApp::resize(float x, float y, float w, float h) {
    X = x;
    Y = y;
    W = w;
    H = h;
}

bool ktApp::pointInside(float x, float y) {
    // Comparisons with NaN are false, so a NaN coordinate is outside.
    return x >= 0.0f && x < W && y >= 0.0f && y < H;
}

void ktApp::mouseMove(float x, float y) {
    (void)x;
    (void)y;
}

void ktApp::mouseDown(float x, float y, int button) {
    (void)x;
    (void)y;
    (void)button;
}

void ktApp::mouseDrag(float x, float y) {
    (void)x;
    (void)y;
}

void ktApp::mouseDrag(float x, float y, int button) {
    (void)x;
    (void)y;
    (void)button;
}

void ktApp::mouseUp(float x, float y, int button) {
    (void)x;
    (void)y;
    (void)button;
}

void ktApp::keyDown(char key) {
    if (key == escapeKey) ktuClose();
}

void ktApp::specialKeyDown(int key) {
    if (key == GLUT_KEY_F1) aaToggleFullScreen(this);
}
