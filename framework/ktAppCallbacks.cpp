// GLUT callbacks and the full-screen toggle. Each callback dispatches to the object registered in
// `apps` for the window GLUT reports as current; with none registered it does nothing. Mouse
// positions arrive with the origin at the top-left, y down, and are turned into window pixels with
// the origin at the bottom-left, y up: y' = ktuWindowHeight - 1 - y.
#include <GL/freeglut.h>

#include <cmath>
#include <limits>

#include "framework/ktApp.h"
#include "framework/ktAppFullScreen.h"
#include "framework/ktu.h"
#include "framework/ktuWindow.h"

ktApp* apps[ktuMaxWindows] = {};

int aafullScreen = 1;  // ktuOpen starts the window full screen
int aahaveShrunk = 0;
int aaWinX = 0;
int aaWinY = 0;
int aaWinW = 0;
int aaWinH = 0;
int aafullWidth = 0;
int aafullHeight = 0;
unsigned char aaValidWindowSize = 0;
int aaLastMouseButton = 0;
int aaGrabCount = 0;

namespace {

// Inset of the window the first time it leaves full screen.
const int insetLeft = 35;
const int insetTop = 55;
const int insetWidth = 70;
const int insetHeight = 90;

// The window manager's decoration when the window last entered full screen. aaWinX and aaWinY
// keep GLUT's position of the drawing area, but a position request places the frame's corner,
// so the request going back is offset by it; otherwise every round trip would move the window
// by its title bar and border.
int enteredDecorationLeft = 0;
int enteredDecorationTop = 0;

ktApp* currentApp() {
    int window = glutGetWindow();
    if (window < 0 || window >= ktuMaxWindows) return nullptr;
    return apps[window];
}

// Computed wide, so that no GLUT position can overflow.
float flippedY(int y) { return static_cast<float>(static_cast<long long>(ktuWindowHeight) - 1 - y); }

// Truncation toward zero of an object's size; NaN gives 0 and out-of-range values are clamped,
// since the conversion is undefined there.
int truncateToInt(float value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0f) return std::numeric_limits<int>::max();
    if (value <= -2147483648.0f) return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

}  // namespace

void display_cb() {
    ktApp* app = currentApp();
    if (app == nullptr) return;
    // Drawing waits until the window has reported a width; once seen, the latch stays set.
    if (!aaValidWindowSize) aaValidWindowSize = ktuGetInteger(KTU_WINDOW_WIDTH) != 0;
    if (!aaValidWindowSize) return;
    ktuOpenToviFrame();
    app->draw();
    ktuCloseToviFrame();
}

void idle_cb() {
    // A geometry request held while the window leaves full screen goes out on the next idle turn.
    ktuIssueHeldWindowRequest();
    ktApp* app = currentApp();
    if (app == nullptr) return;
    app->idle();
    glutPostRedisplay();
}

void mouse_cb(int button, int state, int x, int y) {
    ktApp* app = currentApp();
    if (app == nullptr) return;
    float fx = static_cast<float>(x);
    float fy = flippedY(y);
    if (state == GLUT_DOWN) {
        app->mouseDown(fx, fy, button);
    } else if (state == GLUT_UP) {
        app->mouseUp(fx, fy, button);
    }
    aaLastMouseButton = button;
}

void motion_cb(int x, int y) {
    ktApp* app = currentApp();
    if (app == nullptr) return;
    float fx = static_cast<float>(x);
    float fy = flippedY(y);
    app->mouseDrag(fx, fy);
    app->mouseDrag(fx, fy, aaLastMouseButton);
}

void passive_motion_cb(int x, int y) {
    ktApp* app = currentApp();
    if (app == nullptr) return;
    app->mouseMove(static_cast<float>(x), flippedY(y));
}

void keyboard_cb(unsigned char key, int x, int y) {
    (void)x;
    (void)y;
    ktApp* app = currentApp();
    if (app == nullptr) return;
    app->keyDown(static_cast<char>(key));
}

void special_key_cb(int key, int x, int y) {
    (void)x;
    (void)y;
    ktApp* app = currentApp();
    if (app == nullptr) return;
    app->specialKeyDown(key);
}

void reshape_cb(int width, int height) {
    ktApp* app = currentApp();
    if (app == nullptr) return;
    ktuWindowWidth = width;
    ktuWindowHeight = height;
    app->resize(0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height));
}

// Leaving full screen the first time gives an inset of the full-screen window; every later time
// the window returns to the position and size it had when it last entered full screen.
void aaToggleFullScreen(ktApp* app) {
    if (aafullScreen != 0) {
        if (aahaveShrunk == 0) {
            aahaveShrunk = 1;
            aaWinX = insetLeft;
            aaWinY = insetTop;
            aaWinW = ktuWindowWidth - insetWidth;
            aaWinH = ktuWindowHeight - insetHeight;
            // The inset is the frame's corner itself.
            enteredDecorationLeft = 0;
            enteredDecorationTop = 0;
        }
        aafullScreen = 0;
        aafullWidth = truncateToInt(app->W);
        aafullHeight = truncateToInt(app->H);
        const int windowedSize[2] = {aaWinW, aaWinH};
        ktuSetIntegerv(KTU_WINDOW_SIZE, windowedSize);
        ktuRequestWindowPosition(aaWinX - enteredDecorationLeft, aaWinY - enteredDecorationTop);
    } else {
        aafullScreen = 1;
        aaWinX = glutGet(GLUT_WINDOW_X);
        aaWinY = glutGet(GLUT_WINDOW_Y);
        enteredDecorationLeft = ktuWindowDecorationLeft();
        enteredDecorationTop = ktuWindowDecorationTop();
        aaWinW = truncateToInt(app->W);
        aaWinH = truncateToInt(app->H);
        ktuRequestFullScreen();
    }
}
